#include "toolkit/painter.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+ expects these from the full Windows headers.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "support/log.h"
#include "toolkit/skin_archive.h"

ZEL_LOG_SOURCE("painter");

namespace zelui {

namespace {

// Releases a COM interface pointer.
template <class T>
struct ComRelease {
    void operator()(T* p) const {
        if (p) p->Release();
    }
};

std::unique_ptr<Gdiplus::Bitmap> Decode(const std::string& bytes) {
    std::unique_ptr<IStream, ComRelease<IStream>> stream(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return nullptr;
    // Copy into premultiplied pixels of our own: the decoded bitmap keeps
    // reading its stream, and premultiplied alpha blends fastest.
    const int w = static_cast<int>(decoded->GetWidth());
    const int h = static_cast<int>(decoded->GetHeight());
    auto copy = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
    if (copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics g(copy.get());
        g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        g.DrawImage(decoded.get(), 0, 0, w, h);
    }
    return copy;
}

}  // namespace

void EnsureGdiplus() {
    // Started once and left running: pictures live until the process ends.
    static const bool started = [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    (void)started;
}

ImageCache& ImageCache::Instance() {
    static ImageCache* cache = new ImageCache();
    return *cache;
}

Gdiplus::Bitmap* ImageCache::Get(const std::wstring& path) {
    if (path.empty()) return nullptr;
    auto it = images_.find(path);
    if (it != images_.end()) return it->second.get();
    EnsureGdiplus();
    std::string bytes;
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    if (SkinArchive::Instance().Read(path, bytes)) {
        bitmap = Decode(bytes);
        if (!bitmap) LOG_WARN("Res") << L"cannot decode picture " << path;
    }
    Gdiplus::Bitmap* result = bitmap.get();
    images_.emplace(path, std::move(bitmap));
    return result;
}

void FillArgb(HDC dc, const RECT& rect, uint32_t argb) {
    if ((argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
    EnsureGdiplus();
    Gdiplus::Graphics g(dc);
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    g.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                    static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
}

void FrameArgb(HDC dc, const RECT& rect, uint32_t argb, int size) {
    if (size <= 0) return;
    FillArgb(dc, RECT{rect.left, rect.top, rect.right, rect.top + size}, argb);
    FillArgb(dc, RECT{rect.left, rect.bottom - size, rect.right, rect.bottom}, argb);
    FillArgb(dc, RECT{rect.left, rect.top + size, rect.left + size, rect.bottom - size}, argb);
    FillArgb(dc, RECT{rect.right - size, rect.top + size, rect.right, rect.bottom - size}, argb);
}

void DrawBitmap(HDC dc, Gdiplus::Bitmap* bitmap, const RECT& dest) {
    if (!bitmap || dest.right <= dest.left || dest.bottom <= dest.top) return;
    const INT w = static_cast<INT>(bitmap->GetWidth());
    const INT h = static_cast<INT>(bitmap->GetHeight());
    const INT dw = dest.right - dest.left;
    const INT dh = dest.bottom - dest.top;
    Gdiplus::Graphics g(dc);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes attributes;
    if (dw == w && dh == h) {
        g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    } else {
        g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
        // Stretching must not blend the edge pixels with transparent ones.
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    }
    g.DrawImage(bitmap, Gdiplus::Rect(dest.left, dest.top, dw, dh), 0, 0, w, h, Gdiplus::UnitPixel, &attributes);
}

}  // namespace zelui
