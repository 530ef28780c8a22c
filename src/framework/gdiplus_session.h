#pragma once

#include <windows.h>

namespace fw {

// Starts GDI+ for its lifetime; every GDI+ object must be gone before it ends. Programs make one
// before any window that draws with GDI+ exists.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

}  // namespace fw
