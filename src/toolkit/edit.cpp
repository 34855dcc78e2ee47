#include "toolkit/control.h"
#include "toolkit/painter.h"
#include "toolkit/skin_archive.h"

namespace zelui {

Edit::~Edit() {
    if (edit_ && ::IsWindow(edit_)) ::DestroyWindow(edit_);
}

std::wstring Edit::GetText() const {
    if (!edit_) return text_;
    int length = ::GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(edit_, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void Edit::SetText(const std::wstring& text) {
    text_ = text;
    if (edit_) ::SetWindowTextW(edit_, text.c_str());
}

void Edit::Attach(ControlHost* host, Container* parent) {
    Control::Attach(host, parent);
    if (edit_ || !host || !host->GetHWND()) return;
    edit_ = ::CreateWindowExW(0, L"EDIT", text_.c_str(), WS_CHILD | ES_AUTOHSCROLL | ES_LEFT, 0, 0, 0, 0,
                              host->GetHWND(), nullptr, GetInstance(), nullptr);
    if (!edit_) return;
    // The window finds this control again for the edit's colours.
    ::SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(host->GetFont(font_)), FALSE);
    ::SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(3, 3));
}

void Edit::SetPos(const RECT& rect) {
    Control::SetPos(rect);
    if (edit_) {
        ::SetWindowPos(edit_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Edit::SetFocus() {
    Control::SetFocus();
    if (edit_ && IsVisibleInTree()) ::SetFocus(edit_);
}

void Edit::SyncNativeWindows() {
    if (!edit_) return;
    bool show = IsVisibleInTree();
    bool shown = (::GetWindowLongW(edit_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != show) ::ShowWindow(edit_, show ? SW_SHOWNA : SW_HIDE);
}

COLORREF Edit::GetNativeTextColor() const {
    return OpaqueColor(textColor_);
}

}  // namespace zelui
