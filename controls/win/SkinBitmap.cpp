#include "controls/win/SkinBitmap.h"

namespace discdeck {

bool SkinBitmap::Load(HINSTANCE instance, int id) {
    Attach(::LoadBitmapA(instance, MAKEINTRESOURCEA(id)));
    return static_cast<bool>(bitmap);
}

void SkinBitmap::Attach(HBITMAP handle) {
    bitmap.Reset(handle);
    mask.Reset();
    width = 0;
    height = 0;
}

bool SkinBitmap::ScaleBy(int factor) {
    if (!bitmap || factor < 1) {
        return false;
    }
    if (factor == 1) {
        return true;
    }
    const int w = GetWidth();
    const int h = GetHeight();
    fw::WindowDC screen(nullptr);
    fw::Bitmap scaled(::CreateCompatibleBitmap(screen.Get(), w * factor, h * factor));
    fw::DC source = fw::DC::CompatibleWith(screen.Get());
    fw::DC target = fw::DC::CompatibleWith(screen.Get());
    if (!scaled || !source || !target) {
        return false;
    }
    {
        fw::SelectGuard selectSource(source.Get(), bitmap.Get());
        fw::SelectGuard selectTarget(target.Get(), scaled.Get());
        BlitScaled(target.Get(), 0, 0, w, h, source.Get(), 0, 0, factor);
    }
    Attach(scaled.Release());
    return true;
}

void BlitScaled(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, int factor) {
    if (factor == 1) {
        ::BitBlt(target, x, y, width, height, source, sx, sy, SRCCOPY);
        return;
    }
    // COLORONCOLOR drops or repeats whole pixels; the other modes blend neighbours.
    const int previous = ::SetStretchBltMode(target, COLORONCOLOR);
    ::StretchBlt(target, x, y, width * factor, height * factor, source, sx, sy, width, height, SRCCOPY);
    ::SetStretchBltMode(target, previous);
}

void SkinBitmap::RefreshSize() {
    if (width == 0 || height == 0) {
        BITMAP info{};
        if (bitmap && ::GetObjectA(bitmap.Get(), sizeof(info), &info) == sizeof(info)) {
            width = info.bmWidth;
            height = info.bmHeight;
        }
    }
}

int SkinBitmap::GetWidth() {
    RefreshSize();
    return width;
}

int SkinBitmap::GetHeight() {
    RefreshSize();
    return height;
}

void SkinBitmap::Draw(HDC target, int x, int y) {
    fw::DC memory = fw::DC::CompatibleWith(target);
    if (!memory || !bitmap) {
        return;
    }
    fw::SelectGuard select(memory.Get(), bitmap.Get());
    ::BitBlt(target, x, y, GetWidth(), GetHeight(), memory.Get(), 0, 0, SRCCOPY);
}

void SkinBitmap::CreateMask(HDC reference) {
    mask.Reset();
    if (!bitmap) {
        return;
    }
    fw::DC maskDc = fw::DC::CompatibleWith(reference);
    fw::DC imageDc = fw::DC::CompatibleWith(reference);
    fw::Bitmap created(::CreateBitmap(GetWidth(), GetHeight(), 1, 1, nullptr));
    if (!maskDc || !imageDc || !created) {
        return;
    }
    {
        fw::SelectGuard selectMask(maskDc.Get(), created.Get());
        fw::SelectGuard selectImage(imageDc.Get(), bitmap.Get());
        // Colour to monochrome: pixels of the background colour become 1, all others 0.
        ::SetBkColor(imageDc.Get(), ::GetPixel(imageDc.Get(), 0, 0));
        ::BitBlt(maskDc.Get(), 0, 0, GetWidth(), GetHeight(), imageDc.Get(), 0, 0, SRCCOPY);
    }
    mask = std::move(created);
}

void SkinBitmap::DrawTransparent(HDC target, int x, int y) {
    if (!bitmap) {
        return;
    }
    if (!mask) {
        CreateMask(target);
    }
    const int w = GetWidth();
    const int h = GetHeight();
    fw::DC scratchDc = fw::DC::CompatibleWith(target);
    fw::Bitmap scratch(::CreateBitmap(w, h, static_cast<UINT>(::GetDeviceCaps(target, PLANES) % 256),
                                      static_cast<UINT>(::GetDeviceCaps(target, BITSPIXEL) % 256), nullptr));
    fw::DC imageDc = fw::DC::CompatibleWith(target);
    fw::DC maskDc = fw::DC::CompatibleWith(target);
    if (!scratchDc || !scratch || !imageDc || !maskDc || !mask) {
        return;
    }
    fw::SelectGuard selectScratch(scratchDc.Get(), scratch.Get());
    ::BitBlt(scratchDc.Get(), 0, 0, w, h, target, x, y, SRCCOPY);
    fw::SelectGuard selectImage(imageDc.Get(), bitmap.Get());
    fw::SelectGuard selectMask(maskDc.Get(), mask.Get());
    // Monochrome to colour takes 1-bits as the background colour and 0-bits as the text colour.
    ::SetBkColor(scratchDc.Get(), RGB(255, 255, 255));
    ::SetTextColor(scratchDc.Get(), RGB(0, 0, 0));
    // target ^ image, then & mask (transparent pixels keep it, the others become 0), then ^ image:
    // transparent pixels are the target again, the others the image.
    ::BitBlt(scratchDc.Get(), 0, 0, w, h, imageDc.Get(), 0, 0, SRCINVERT);
    ::BitBlt(scratchDc.Get(), 0, 0, w, h, maskDc.Get(), 0, 0, SRCAND);
    ::BitBlt(scratchDc.Get(), 0, 0, w, h, imageDc.Get(), 0, 0, SRCINVERT);
    ::BitBlt(target, x, y, w, h, scratchDc.Get(), 0, 0, SRCCOPY);
}

}  // namespace discdeck
