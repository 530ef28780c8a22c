#include "framework/gdiplus_session.h"

#include "framework/gdiplus_headers.h"

namespace fw {

void GdiplusTokenTraits::Close(Handle token) { Gdiplus::GdiplusShutdown(token); }

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, background thread kept
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_.Reset(token);
}

}  // namespace fw
