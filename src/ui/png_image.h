#pragma once

#include <windows.h>

#include <memory>

#include "framework/gdiplus_headers.h"

// Decodes the PNG resource (type "PNG") with the given id from the module, or from the program
// itself when the module is null. A missing or broken picture gives an image without picture
// data: its width and height read 0 and drawing it draws nothing.
std::unique_ptr<Gdiplus::Image> LoadPngImage(int resourceId, HMODULE module = nullptr);

// The same as a bitmap; with w and h both non-zero only the rectangle (x, y, w, h) of the picture,
// copied in the picture's own pixel format.
std::unique_ptr<Gdiplus::Bitmap> LoadPngBitmap(int resourceId, int x, int y, int w, int h,
                                               HMODULE module = nullptr);

