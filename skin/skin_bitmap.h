// One bitmap of the skin, loaded from the program's resources, with its size.
#pragma once
#include <windows.h>

#include "win/gdi.h"

class SkinBitmap {
public:
    SkinBitmap() = default;
    SkinBitmap(SkinBitmap&&) = default;
    SkinBitmap& operator=(SkinBitmap&&) = default;

    // Replaces what was held; false (and nothing held) when the resource is missing.
    bool Load(HINSTANCE instance, UINT id);
    // Copies (sourceX, sourceY, width, height) of the bitmap to (x, y) of `target`.
    void Draw(HDC target, int x, int y, int sourceX, int sourceY, int width, int height,
              DWORD rasterOp = SRCCOPY) const;
    void Release();

    HBITMAP Handle() const { return bitmap; }
    int Width() const { return width; }
    int Height() const { return height; }

private:
    win::Bitmap bitmap;
    int width = 0;
    int height = 0;
};
