#pragma once
// Painting support: GDI+ for pictures and colours with per-pixel alpha, GDI
// for text. Pictures come from the skin package, decoded once per process.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

namespace zelui {

class ControlHost;

struct PaintContext {
    HDC dc;          // the back buffer
    RECT clip;       // the part being repainted
    ControlHost* host;
};

// Decoded pictures by entry path. A picture that is missing or cannot be
// decoded is remembered as missing and not tried again. Window thread only.
class ImageCache {
public:
    static ImageCache& Instance();
    // Null when the picture does not exist.
    Gdiplus::Bitmap* Get(const std::wstring& path);

private:
    ImageCache() = default;
    std::map<std::wstring, std::unique_ptr<Gdiplus::Bitmap>> images_;
};

// Starts GDI+ once for the process.
void EnsureGdiplus();

// Texts are opaque: the colour without its alpha byte.
inline COLORREF OpaqueColor(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

// Fills `rect` with an ARGB colour, blending by its alpha.
void FillArgb(HDC dc, const RECT& rect, uint32_t argb);
// Draws a border of `size` pixels inside `rect`.
void FrameArgb(HDC dc, const RECT& rect, uint32_t argb, int size);
// Draws a picture scaled into `dest`, blending by its per-pixel alpha.
void DrawBitmap(HDC dc, Gdiplus::Bitmap* bitmap, const RECT& dest);

}  // namespace zelui
