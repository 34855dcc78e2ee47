#include "toolkit/font_face.h"

#include <windows.h>

#include <mutex>

namespace zelui {

namespace {
std::mutex g_lock;
std::wstring g_override;

int CALLBACK MarkFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
}  // namespace

void SetFontFaceOverride(const std::wstring& face) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_override = face;
}

std::wstring FontFaceFor(const std::wstring& face) {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_override.empty() ? face : g_override;
}

bool IsFontFamilyInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    HDC dc = ::GetDC(nullptr);
    if (!dc) return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, face.size());
    bool found = false;
    ::EnumFontFamiliesExW(dc, &query, MarkFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace zelui
