#include "toolkit/window_impl_base.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "support/log.h"
#include "toolkit/font_face.h"
#include "toolkit/layout_builder.h"
#include "toolkit/layout_math.h"
#include "toolkit/painter.h"
#include "toolkit/skin_archive.h"

ZEL_LOG_SOURCE("WindowImplBase");

namespace zelui {

namespace {

// Window property that marks a toolkit window (GWLP_USERDATA alone could be
// anyone's).
constexpr const wchar_t* kWindowProp = L"zelui.WindowImplBase";

POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// A memory DC with a bitmap like the screen's selected: the back buffer.
class BackBuffer {
public:
    BackBuffer(HDC screen, int width, int height) {
        dc_ = ::CreateCompatibleDC(screen);
        bitmap_ = ::CreateCompatibleBitmap(screen, width, height);
        if (dc_ && bitmap_) old_ = ::SelectObject(dc_, bitmap_);
    }
    ~BackBuffer() {
        if (old_) ::SelectObject(dc_, old_);
        if (bitmap_) ::DeleteObject(bitmap_);
        if (dc_) ::DeleteDC(dc_);
    }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    bool Valid() const { return old_ != nullptr; }
    HDC Get() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// BeginPaint / EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

[[noreturn]] void FailLayout(const std::wstring& file) {
    LOG_ERROR("Window") << L"cannot load layout " << file;
    ::MessageBoxW(nullptr, L"加载资源文件失败", nullptr, MB_OK | MB_ICONERROR);
    // exit, not ExitProcess: static objects (the log among them) still close.
    std::exit(1);
}

}  // namespace

struct WindowImplBase::FontHolder {
    explicit FontHolder(HFONT f) : font(f) {}
    ~FontHolder() {
        if (font) ::DeleteObject(font);
    }
    FontHolder(const FontHolder&) = delete;
    FontHolder& operator=(const FontHolder&) = delete;
    HFONT font;
};

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        // Destroyed without closing: detach first so no message reaches a
        // half-destroyed object.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::RemovePropW(hwnd_, kWindowProp);
        ::DestroyWindow(hwnd_);
    }
    root_.reset();
}

bool WindowImplBase::RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    if (::RegisterClassExW(&wc)) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND WindowImplBase::Create(HWND owner, LPCWSTR name, DWORD style, DWORD exStyle, int x, int y, int cx, int cy) {
    if (!RegisterWindowClass()) {
        LOG_ERROR("Window") << L"RegisterClassEx failed. error code: " << ::GetLastError();
        return nullptr;
    }
    HWND hwnd = ::CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, owner, nullptr,
                                  GetInstance(), this);
    if (!hwnd) LOG_ERROR("Window") << L"CreateWindowEx failed. error code: " << ::GetLastError();
    return hwnd;
}

WindowImplBase* WindowImplBase::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<WindowImplBase*>(::GetPropW(hwnd, kWindowProp)) : nullptr;
}

LRESULT CALLBACK WindowImplBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowImplBase* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<WindowImplBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ::SetPropW(hwnd, kWindowProp, self);
    } else {
        self = reinterpret_cast<WindowImplBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        LRESULT r = ::DefWindowProcW(hwnd, msg, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::RemovePropW(hwnd, kWindowProp);
        for (const TimerEntry& t : self->timers_) ::KillTimer(hwnd, t.nativeId);
        self->timers_.clear();
        self->hwnd_ = nullptr;
        self->OnFinalMessage(hwnd);
        return r;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

void WindowImplBase::OnCreate() {
    // Frameless: the layout draws the whole window, the caption rectangle
    // stands in for the title bar.
    LONG style = ::GetWindowLongW(hwnd_, GWL_STYLE);
    ::SetWindowLongW(hwnd_, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME));

    SkinArchive& archive = SkinArchive::Instance();
    if (!archive.OpenResource(GetResourceType(), GetResourceID())) {
        LOG_ERROR("Window") << L"skin resource " << GetResourceID() << L" missing: window without controls";
        return;
    }
    const std::wstring file = GetSkinFile();
    std::string xml;
    Layout layout;
    if (!archive.Read(file, xml) || !ParseLayout(xml, layout) || !layout.root) FailLayout(file);

    initSize_ = layout.size;
    caption_ = layout.caption;
    for (const FontDef& def : layout.fonts) {
        HFONT font = ::CreateFontW(-def.size, 0, 0, 0, def.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH | FF_DONTCARE, FontFaceFor(def.name).c_str());
        fonts_[def.id] = std::make_unique<FontHolder>(font);
    }
    root_ = std::move(layout.root);
    root_->Attach(this, nullptr);
    if (initSize_.cx > 0 && initSize_.cy > 0) {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, initSize_.cx, initSize_.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }

    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                 GetInstance(), nullptr);
    if (tooltip_) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = 1;
        ti.lpszText = const_cast<LPWSTR>(L"");
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        ::SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    }
    needLayout_ = true;
    InitWindow();
}

void WindowImplBase::DoLayout() {
    needLayout_ = false;
    if (!root_) return;
    RECT client;
    ::GetClientRect(hwnd_, &client);
    root_->SetPos(client);
    root_->SyncNativeWindows();
    // Controls hidden by the layout change lose hover and focus.
    if (hot_ && !hot_->IsVisibleInTree()) hot_ = nullptr;
    if (focus_ && !focus_->IsVisibleInTree()) focus_ = nullptr;
    UpdateToolTip();
}

void WindowImplBase::OnPaint() {
    if (needLayout_) DoLayout();
    if (!windowInitSent_ && root_) {
        windowInitSent_ = true;
        SendNotify(root_.get(), kNotifyWindowInit, 0, 0);
        if (!hwnd_) return;
        if (needLayout_) DoLayout();
    }
    PaintScope paint(hwnd_);
    RECT client;
    ::GetClientRect(hwnd_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    BackBuffer buffer(paint.Dc(), width, height);
    if (!buffer.Valid()) return;
    ::FillRect(buffer.Get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    if (root_) {
        PaintContext ctx{buffer.Get(), paint.Area(), this};
        root_->Paint(ctx);
    }
    const RECT& area = paint.Area();
    ::BitBlt(paint.Dc(), area.left, area.top, area.right - area.left, area.bottom - area.top, buffer.Get(), area.left,
             area.top, SRCCOPY);
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_NCPAINT:
            return 0;
        case WM_NCACTIVATE:
            if (::IsIconic(hwnd_)) break;
            return wParam == 0 ? TRUE : FALSE;
        case WM_NCHITTEST: {
            POINT pt = PointFromLParam(lParam);
            ::ScreenToClient(hwnd_, &pt);
            RECT client;
            ::GetClientRect(hwnd_, &client);
            RECT caption = CaptionRect(caption_, SIZE{client.right, client.bottom});
            bool onControl = root_ && root_->FindInteractiveAt(pt);
            return ::PtInRect(&caption, pt) && !onControl ? HTCAPTION : HTCLIENT;
        }
        case WM_SIZE:
            needLayout_ = true;
            ::InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(PointFromLParam(lParam));
            return 0;
        case WM_MOUSELEAVE:
            trackingMouse_ = false;
            if (auto* b = dynamic_cast<Button*>(hot_)) b->SetHot(false);
            hot_ = nullptr;
            UpdateToolTip();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnButtonDown(PointFromLParam(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnButtonUp(PointFromLParam(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (auto* b = dynamic_cast<Button*>(pushed_)) b->SetPushed(false);
            pushed_ = nullptr;
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            return 0;
        case WM_TIMER: {
            for (const TimerEntry& t : timers_) {
                if (t.nativeId == wParam) {
                    SendNotify(t.control, kNotifyTimer, t.timerId, 0);
                    return 0;
                }
            }
            break;
        }
        case WM_CTLCOLOREDIT: {
            auto* edit = reinterpret_cast<Edit*>(::GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWLP_USERDATA));
            if (!edit) break;
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, edit->GetNativeTextColor());
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        }
        case WM_CLOSE: {
            modalResult_ = static_cast<UINT>(wParam);
            // Give the owner back its input before this window goes, so the
            // system activates the owner rather than another program.
            HWND owner = ::GetWindow(hwnd_, GW_OWNER);
            if (owner) ::EnableWindow(owner, TRUE);
            ::DestroyWindow(hwnd_);
            return 0;
        }
        default:
            break;
    }
    bool handled = false;
    LRESULT result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) OnPrepare();
}

void WindowImplBase::OnMouseMove(POINT pt) {
    if (!trackingMouse_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        trackingMouse_ = ::TrackMouseEvent(&tme) != FALSE;
    }
    Control* hit = root_ ? root_->FindInteractiveAt(pt) : nullptr;
    if (hit == hot_) return;
    if (auto* b = dynamic_cast<Button*>(hot_)) b->SetHot(false);
    hot_ = hit;
    if (auto* b = dynamic_cast<Button*>(hot_)) b->SetHot(true);
    UpdateToolTip();
}

void WindowImplBase::OnButtonDown(POINT pt) {
    OnMouseMove(pt);
    Control* hit = root_ ? root_->FindInteractiveAt(pt) : nullptr;
    if (!hit) return;
    ::SetCapture(hwnd_);
    pushed_ = hit;
    if (auto* b = dynamic_cast<Button*>(hit)) b->SetPushed(true);
    SetFocusControl(hit);
}

void WindowImplBase::OnButtonUp(POINT pt) {
    Control* pushed = pushed_;
    if (!pushed) return;
    ::ReleaseCapture();  // WM_CAPTURECHANGED clears the pushed state
    pushed_ = nullptr;
    if (auto* b = dynamic_cast<Button*>(pushed)) b->SetPushed(false);
    Control* hit = root_ ? root_->FindInteractiveAt(pt) : nullptr;
    if (hit == pushed) pushed->Activate();
}

void WindowImplBase::OnKeyDown(WPARAM key) {
    if ((key == VK_RETURN || key == VK_SPACE) && focus_ && focus_->IsInteractive() && focus_->IsVisibleInTree()) {
        focus_->Activate();
    } else if (key == VK_TAB) {
        MoveFocus(::GetKeyState(VK_SHIFT) >= 0);
    }
}

void WindowImplBase::MoveFocus(bool forward) {
    std::vector<Control*> order;
    struct Walker {
        static void Collect(Control* c, std::vector<Control*>& out) {
            if (!c->IsVisible()) return;
            if (c->IsInteractive() || dynamic_cast<Edit*>(c)) out.push_back(c);
            if (auto* box = dynamic_cast<Container*>(c)) {
                for (size_t i = 0; i < box->GetCount(); ++i) Collect(box->GetItemAt(i), out);
            }
        }
    };
    if (root_) Walker::Collect(root_.get(), order);
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), focus_);
    size_t index;
    if (it == order.end()) {
        index = forward ? 0 : order.size() - 1;
    } else {
        size_t cur = static_cast<size_t>(it - order.begin());
        index = forward ? (cur + 1) % order.size() : (cur + order.size() - 1) % order.size();
    }
    order[index]->SetFocus();
}

void WindowImplBase::UpdateToolTip() {
    if (!tooltip_) return;
    std::wstring tip = hot_ ? hot_->GetToolTip() : std::wstring();
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hwnd_;
    ti.uId = 1;
    ti.lpszText = const_cast<LPWSTR>(tip.c_str());
    if (hot_) ti.rect = hot_->GetPos();
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, tip.empty() ? FALSE : TRUE, 0);
}

void WindowImplBase::CenterWindow() {
    if (!hwnd_) return;
    RECT wnd;
    ::GetWindowRect(hwnd_, &wnd);
    const int w = wnd.right - wnd.left;
    const int h = wnd.bottom - wnd.top;
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    RECT area;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
        area = mi.rcWork;
    }
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT WindowImplBase::ShowModal() {
    if (!hwnd_) return 0;
    HWND hwnd = hwnd_;
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd);
    if (owner) ::EnableWindow(owner, FALSE);
    modalResult_ = 0;
    MSG msg{};
    bool quit = false;
    while (::IsWindow(hwnd)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got == -1) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        if (::IsWindowVisible(owner)) ::SetFocus(owner);
    }
    // A quit request belongs to the outer loop: hand it on.
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return modalResult_;
}

void WindowImplBase::Close(UINT result) {
    if (hwnd_) ::PostMessageW(hwnd_, WM_CLOSE, result, 0);
}

Control* WindowImplBase::FindControl(const std::wstring& name) const {
    return root_ ? root_->FindByName(name) : nullptr;
}

bool WindowImplBase::IsControlInTree(const Control* control) const {
    for (const Control* c = control; c; c = c->GetParent()) {
        if (c == root_.get()) return true;
    }
    return false;
}

bool WindowImplBase::SetTimer(Control* control, UINT timerId, UINT elapseMs) {
    if (!hwnd_ || !control) return false;
    for (const TimerEntry& t : timers_) {
        if (t.control == control && t.timerId == timerId) {
            return ::SetTimer(hwnd_, t.nativeId, elapseMs, nullptr) != 0;
        }
    }
    UINT_PTR id = nextTimerId_++;
    if (!::SetTimer(hwnd_, id, elapseMs, nullptr)) return false;
    timers_.push_back(TimerEntry{control, timerId, id});
    return true;
}

void WindowImplBase::KillTimer(Control* control, UINT timerId) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->control == control && it->timerId == timerId) {
            if (hwnd_) ::KillTimer(hwnd_, it->nativeId);
            timers_.erase(it);
            return;
        }
    }
}

void WindowImplBase::Invalidate(const RECT& rect) {
    if (hwnd_) ::InvalidateRect(hwnd_, &rect, FALSE);
}

void WindowImplBase::NeedLayout() {
    needLayout_ = true;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

HFONT WindowImplBase::GetFont(int id) {
    auto it = fonts_.find(id);
    if (it != fonts_.end() && it->second->font) return it->second->font;
    if (!defaultFont_) {
        defaultFont_ = std::make_unique<FontHolder>(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                                  DEFAULT_PITCH | FF_DONTCARE,
                                                                  FontFaceFor(L"Arial").c_str()));
    }
    return defaultFont_->font;
}

SIZE WindowImplBase::MeasureText(int fontId, const std::wstring& text, int width, UINT format) {
    WindowDc screen(hwnd_);
    if (!screen.Get()) return SIZE{0, 0};
    HGDIOBJ old = ::SelectObject(screen.Get(), GetFont(fontId));
    RECT rc{0, 0, width, 0};
    ::DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rc, format | DT_CALCRECT);
    ::SelectObject(screen.Get(), old);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

void WindowImplBase::SendNotify(Control* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    Notify(msg);
}

void WindowImplBase::SetFocusControl(Control* control) {
    if (focus_ == control) return;
    Control* old = focus_;
    focus_ = control;
    if (old) old->Invalidate();
    if (control) control->Invalidate();
    // Windowless controls take the keys through the window itself.
    if (hwnd_ && !dynamic_cast<Edit*>(control)) ::SetFocus(hwnd_);
}

void WindowImplBase::ReleaseControl(Control* control) {
    if (hot_ == control) hot_ = nullptr;
    if (pushed_ == control) pushed_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->control == control) {
            if (hwnd_) ::KillTimer(hwnd_, it->nativeId);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
}

void MakeProcessSystemDpiAware() {
    // Shcore exists from Windows 8.1; older systems keep the default.
    HMODULE shcore = ::LoadLibraryW(L"Shcore.dll");
    if (!shcore) return;
    using SetAwareness = HRESULT(WINAPI*)(int);
    auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(::GetProcAddress(shcore, "SetProcessDpiAwareness")));
    if (set) set(1);  // PROCESS_SYSTEM_DPI_AWARE
    ::FreeLibrary(shcore);
}

}  // namespace zelui
