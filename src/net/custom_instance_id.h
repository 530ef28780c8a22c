#pragma once

#include <cstdint>

// Gives every object a process-wide serial number: the first object made gets 1.
class CCustomInstanceID {
public:
    CCustomInstanceID();
    virtual ~CCustomInstanceID() = default;
    CCustomInstanceID(const CCustomInstanceID&) = delete;
    CCustomInstanceID& operator=(const CCustomInstanceID&) = delete;

    int32_t m_nInstanceId;
};
