#include "ui/png_image.h"

#include <cstring>

#include "framework/window.h"

namespace {

// A stream over a copy of the resource's bytes. The stream owns its memory block and frees it
// with its last reference; GDI+ keeps a reference for as long as the image may still read from
// it, so the block lives exactly as long as the image needs it.
IStream* OpenPngStream(int resourceId, HMODULE module) {
    HMODULE source = module != nullptr ? module : fw::ResourceModule();
    HRSRC info = ::FindResourceW(source, MAKEINTRESOURCEW(resourceId), L"PNG");
    if (info == nullptr) return nullptr;
    const DWORD size = ::SizeofResource(source, info);
    HGLOBAL loaded = ::LoadResource(source, info);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return nullptr;

    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, size);
    if (block == nullptr) return nullptr;
    std::memcpy(block, bytes, size);  // a GMEM_FIXED handle is the block's address
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    return stream;
}

// A bitmap that holds no picture: GDI+ refuses a 0 x 0 bitmap and reports 0 for its size.
std::unique_ptr<Gdiplus::Bitmap> EmptyBitmap() {
    return std::make_unique<Gdiplus::Bitmap>(0, 0, PixelFormat32bppARGB);
}

}  // namespace

std::unique_ptr<Gdiplus::Image> LoadPngImage(int resourceId, HMODULE module) {
    IStream* stream = OpenPngStream(resourceId, module);
    if (stream == nullptr) return EmptyBitmap();
    auto image = std::make_unique<Gdiplus::Image>(stream);
    stream->Release();
    return image;
}

std::unique_ptr<Gdiplus::Bitmap> LoadPngBitmap(int resourceId, int x, int y, int w, int h,
                                               HMODULE module) {
    IStream* stream = OpenPngStream(resourceId, module);
    if (stream == nullptr) return EmptyBitmap();
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(stream);
    stream->Release();
    if (w == 0 || h == 0 || bitmap->GetLastStatus() != Gdiplus::Ok) return bitmap;
    // The cut-out is an independent copy; the full picture goes away with this scope.
    Gdiplus::Bitmap* piece = bitmap->Clone(x, y, w, h, bitmap->GetPixelFormat());
    if (piece == nullptr) return EmptyBitmap();
    return std::unique_ptr<Gdiplus::Bitmap>(piece);
}

