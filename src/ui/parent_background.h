#pragma once

#include <windows.h>

#include "framework/gdiplus_headers.h"

// Skinned controls do not erase their background: the parent's picture is meant to show through
// around their glyphs and faces. Where the system does not compose a parent with its children
// (no WS_EX_COMPOSITED support), a control repainting alone would draw over its own previous
// picture, so before drawing it asks its parent to paint the picture under it first.

// Control side: sends the request to the parent; parents that do not answer leave the DC alone.
void PaintParentBackground(HWND control, HDC dc);

// The registered message of that request: wParam the control's DC, lParam the control's window.
UINT ParentBackgroundMessage();

// Parent side: draws the parent's background picture (drawn at (0, 0) with the given size in the
// parent's client area) into the control's DC, shifted to the control's place.
void DrawBackgroundForControl(HWND parent, HDC dc, HWND control, Gdiplus::Image* background,
                              int width, int height);

