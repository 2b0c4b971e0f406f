#include "skin/skin_bitmap.h"

bool SkinBitmap::Load(HINSTANCE instance, UINT id) {
    Release();
    bitmap.Reset(LoadBitmapA(instance, MAKEINTRESOURCEA(id)));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
        Release();
        return false;
    }
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

void SkinBitmap::Draw(HDC target, int x, int y, int sourceX, int sourceY, int width, int height, DWORD rasterOp) const {
    if (!bitmap) return;
    win::MemoryDC memory(target);
    win::SelectScope select(memory, bitmap);
    BitBlt(target, x, y, width, height, memory, sourceX, sourceY, rasterOp);
}

void SkinBitmap::Release() {
    bitmap.Reset();
    width = height = 0;
}
