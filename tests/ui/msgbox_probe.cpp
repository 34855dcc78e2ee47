// Shows message boxes one after the other for the window tests, which drive
// it from the Linux side with xdotool. Usage:
//   msgbox_probe.exe REPORT_FILE STEP...
// STEP is "lang=CODE" (load the skin and that language's texts) or a box
// "owned|content|title|first|second" / "free|..." (with or without the probe's
// owner window); a text starting with '@' is looked up as an identifier.
// While a box is open the report gets its controls' rectangles (screen
// coordinates) and whether the owner is enabled, then "ready N"; after it
// closes, "result N R".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/font_face.h"
#include "toolkit/skin_archive.h"
#include "toolkit/window_impl_base.h"
#include "ui/message_box.h"
#include "ui/skin_loader.h"
#include "ui/text_table.h"

namespace {

FILE* g_report = nullptr;
HWND g_owner = nullptr;
int g_box = 0;
int g_reported = -1;
int g_ticks = 0;

void Report(const std::string& line) {
    std::fputs((line + "\n").c_str(), g_report);
    std::fflush(g_report);
}

std::string Narrow(const std::wstring& s) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t end = s.find(sep, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

std::wstring Resolve(const std::wstring& text) { return !text.empty() && text[0] == L'@' ? LookupText(text.substr(1)) : text; }

// Runs inside the box's modal loop: once the box has been painted, report it.
void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_reported == g_box) return;
    HWND box = ::FindWindowW(L"WindowImplBase", L"MessageBox");
    auto* wnd = zelui::WindowImplBase::FromHandle(box);
    if (!wnd || !::IsWindowVisible(box)) {
        g_ticks = 0;
        return;
    }
    if (++g_ticks < 3) return;  // let the first paints settle
    RECT wr;
    ::GetWindowRect(box, &wr);
    char line[256];
    std::snprintf(line, sizeof line, "window %ld %ld %ld %ld", wr.left, wr.top, wr.right, wr.bottom);
    Report(line);
    for (const wchar_t* name : {L"title_label", L"content_label", L"icon", L"yes_btn", L"no_btn", L"close_btn"}) {
        zelui::Control* c = wnd->FindControl(name);
        if (!c) continue;
        RECT r = c->GetPos();
        std::snprintf(line, sizeof line, "control %s %ld %ld %ld %ld visible=%d focused=%d", Narrow(name).c_str(),
                      wr.left + r.left, wr.top + r.top, wr.left + r.right, wr.top + r.bottom, c->IsVisibleInTree() ? 1 : 0,
                      c->IsFocused() ? 1 : 0);
        Report(line);
        std::snprintf(line, sizeof line, "text %s %s", Narrow(name).c_str(), Narrow(c->GetText()).c_str());
        Report(line);
    }
    Report(std::string("owner_enabled ") + (::IsWindowEnabled(g_owner) ? "1" : "0"));
    Report("ready " + std::to_string(g_box));
    g_reported = g_box;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    g_report = _wfopen(argv[1], L"w");
    if (!g_report) return 2;

    g_owner = ::CreateWindowExW(0, L"STATIC", L"ProbeOwner", WS_POPUP | WS_VISIBLE, 100, 100, 640, 480, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
    ::SetTimer(nullptr, 0, 100, OnTick);
    bool skinLoaded = false;
    for (int i = 2; i < argc; ++i) {
        std::wstring step = argv[i];
        if (step.rfind(L"lang=", 0) == 0) {
            std::wstring lang = step.substr(5);
            if (!skinLoaded) {
                LoadSkinAndLocale(lang);
                skinLoaded = true;
            } else {
                LoadLocaleFile(L"locale/" + lang + L".xml");
                zelui::SetFontFaceOverride(TextFaceForLanguage(lang));
            }
            Report("lang " + Narrow(lang));
            continue;
        }
        std::vector<std::wstring> parts = Split(step, L'|');
        if (parts.size() != 5) return 2;
        ++g_box;
        HWND owner = parts[0] == L"owned" ? g_owner : nullptr;
        UINT result = ShowMessageBox(owner, Resolve(parts[1]), Resolve(parts[2]), Resolve(parts[3]), Resolve(parts[4]));
        Report("result " + std::to_string(g_box) + " " + std::to_string(result) + " owner_enabled " +
               (::IsWindowEnabled(g_owner) ? "1" : "0"));
    }
    Report("done");
    std::fclose(g_report);
    return 0;
}
