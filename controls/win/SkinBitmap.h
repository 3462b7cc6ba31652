#pragma once

#include <windows.h>

#include "framework/Gdi.h"

namespace discdeck {

// A bitmap that knows its size and draws itself opaquely or with one transparent colour: the
// colour of its top-left pixel. The mask for transparent drawing is built at the first such
// drawing and kept.
class SkinBitmap {
  public:
    SkinBitmap() = default;
    SkinBitmap(const SkinBitmap&) = delete;
    SkinBitmap& operator=(const SkinBitmap&) = delete;

    // Loads a bitmap resource (LoadBitmapA); false when it is missing. Replaces any previous one.
    bool Load(HINSTANCE instance, int id);
    // Takes over a bitmap handle.
    void Attach(HBITMAP bitmap);
    // Replaces the bitmap with a copy `factor` times as wide and high, each pixel repeated (no
    // smoothing: the skin's edges and its transparent colour stay exact). False when the copy
    // could not be made; the bitmap is then unchanged.
    bool ScaleBy(int factor);
    HBITMAP GetHandle() const { return bitmap.Get(); }
    explicit operator bool() const { return static_cast<bool>(bitmap); }

    // Sizes are read from the bitmap on first use.
    int GetWidth();
    int GetHeight();

    // Opaque copy of the whole bitmap to (x, y).
    void Draw(HDC target, int x, int y);
    // Monochrome mask: 1 where the image has the colour of its top-left pixel.
    void CreateMask(HDC reference);
    // Copy of the whole bitmap to (x, y) in which pixels of the transparent colour leave the target
    // as it was.
    void DrawTransparent(HDC target, int x, int y);

  private:
    void RefreshSize();

    fw::Bitmap bitmap;
    int width = 0;
    int height = 0;
    fw::Bitmap mask;
};

// Copies width x height pixels from (sx, sy) of the source to (x, y) of the target, each pixel made
// factor x factor (nearest neighbour).
void BlitScaled(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, int factor);

}  // namespace discdeck
