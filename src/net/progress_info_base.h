#pragma once

// Base of the records that carry progress and results to the user interface: a heap copy is
// posted with the progress message, and the receiver deletes it through this base.
class ResourceManagerProgressInfoBase {
public:
    virtual ~ResourceManagerProgressInfoBase() = default;
    // A new copy; the caller owns it.
    virtual ResourceManagerProgressInfoBase* Clone() const = 0;

protected:
    ResourceManagerProgressInfoBase() = default;
    ResourceManagerProgressInfoBase(const ResourceManagerProgressInfoBase&) = default;
    ResourceManagerProgressInfoBase& operator=(const ResourceManagerProgressInfoBase&) = default;
};
