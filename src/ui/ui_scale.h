#pragma once

// Scale factor for a screen: dpi / 96 when the screen is not at 96 dpi; otherwise width / 1920
// for screens narrower than 757 or wider than 1920 pixels, and 1 in between.
float ComputeUiScale(int dpi, int screenWidth);

// The interface scale factor of this process, computed on the first call from the screen's
// horizontal dpi and the primary screen's width, and kept.
float GetUiScale();

// Replaces the process's scale by the one of the given screen. Only for tools and tests that
// show the interface as another screen would, before any window exists.
void OverrideUiScaleInputs(int dpi, int screenWidth);

// Design pixels times the scale, truncated toward zero.
int ScalePixels(int designPixels);

