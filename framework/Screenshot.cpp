#include "framework/Screenshot.h"

#include <cstdio>
#include <memory>

#include "framework/Gdi.h"

namespace discdeck::fw {

namespace {
struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
}  // namespace

Image ReadBitmap(HBITMAP bitmap) {
    Image image;
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof(info), &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return image;
    }
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;  // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    WindowDC screen(nullptr);
    if (::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), raw.data(), &header, DIB_RGB_COLORS) ==
        0) {
        return image;
    }
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels.reserve(raw.size());
    for (uint32_t bgr : raw) {
        image.pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    }
    return image;
}

Image CaptureWindow(HWND window, CaptureSource source) {
    RECT rect{};
    if (window == nullptr || !::GetWindowRect(window, &rect)) {
        return Image();
    }
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return Image();
    }
    WindowDC screen(nullptr);
    DC memory = DC::CompatibleWith(screen.Get());
    Bitmap picture(::CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !picture) {
        return Image();
    }
    {
        SelectGuard select(memory.Get(), picture.Get());
        if (source == CaptureSource::PrintWindow) {
            ::PrintWindow(window, memory.Get(), 0);
        } else {
            ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
        }
    }
    return ReadBitmap(picture.Get());
}

bool SaveBmp(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    uint32_t rowSize = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    uint32_t dataSize = rowSize * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + dataSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(image.width));
    Put32(out, static_cast<uint32_t>(image.height));  // bottom-up
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, BI_RGB);
    Put32(out, dataSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < image.width; ++x) {
            COLORREF c = image.At(x, y);
            out.push_back(GetBValue(c));
            out.push_back(GetGValue(c));
            out.push_back(GetRValue(c));
        }
        out.resize(start + rowSize, 0);
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    return std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
}

bool SaveWindowImage(HWND window, const std::string& path, CaptureSource source) {
    return SaveBmp(CaptureWindow(window, source), path);
}

}  // namespace discdeck::fw
