#include "ui/ui_scale.h"

#include <windows.h>

namespace {

float& CachedScale() {
    static float scale = 0.0f;  // 0 = not computed yet
    return scale;
}

}  // namespace

float ComputeUiScale(int dpi, int screenWidth) {
    // A failed dpi query (0) is treated as the standard 96 rather than shrinking everything to 0.
    if (dpi > 0 && dpi != 96) return static_cast<float>(dpi) / 96.0f;
    if (screenWidth < 757 || screenWidth > 1920) {
        const float scale = static_cast<float>(screenWidth) / 1920.0f;
        return scale > 0.0f ? scale : 1.0f;
    }
    return 1.0f;
}

float GetUiScale() {
    float& scale = CachedScale();
    if (scale == 0.0f) {
        int dpi = 96;
        if (HDC screen = ::GetDC(nullptr)) {
            dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
            ::ReleaseDC(nullptr, screen);
        }
        scale = ComputeUiScale(dpi, ::GetSystemMetrics(SM_CXSCREEN));
    }
    return scale;
}

void OverrideUiScaleInputs(int dpi, int screenWidth) {
    CachedScale() = ComputeUiScale(dpi, screenWidth);
}

int ScalePixels(int designPixels) {
    return static_cast<int>(static_cast<float>(designPixels) * GetUiScale());
}

