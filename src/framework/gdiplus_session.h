#pragma once

#include "framework/scoped_handle.h"

namespace fw {

// GDI+ for the whole process: started when the object is made, shut down when it goes, but only
// if the start succeeded. The launcher holds one as a global defined before the application
// object, so every window may use GDI+ and the shutdown comes after the application is gone.
class GdiplusSession {
public:
    GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool IsStarted() const { return token_.IsValid(); }

private:
    UniqueGdiplusToken token_;
};

}  // namespace fw
