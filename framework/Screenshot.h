#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace discdeck::fw {

// A captured picture, top row first, pixels as COLORREF values (red in the low byte).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

enum class CaptureSource {
    Screen,       // what the screen shows at the window's place (overlapping windows included)
    PrintWindow,  // the window asked to draw itself (WM_PRINT), whatever covers it
};

// The window's picture, its whole window rectangle; empty on failure.
Image CaptureWindow(HWND window, CaptureSource source = CaptureSource::Screen);
// The pixels of a bitmap selected nowhere; empty on failure.
Image ReadBitmap(HBITMAP bitmap);
// Writes a 24-bit .bmp file; false on failure.
bool SaveBmp(const Image& image, const std::string& path);
// CaptureWindow then SaveBmp.
bool SaveWindowImage(HWND window, const std::string& path, CaptureSource source = CaptureSource::Screen);

}  // namespace discdeck::fw
