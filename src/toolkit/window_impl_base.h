#pragma once
// Base of every skinned window: a frameless top-level window whose client
// area is a tree of toolkit controls built from a layout in the skin package.
//
// Typical use (window thread):
//   class CMyWnd : public zelui::WindowImplBase {
//       std::wstring GetSkinFile() const override { return L"my.xml"; }
//       void InitWindow() override { ok_ = FindControl(L"ok_btn"); }
//       void Notify(zelui::TNotifyUI& msg) override {
//           if (msg.sType == zelui::kNotifyClick && msg.pSender == ok_) Close(1);
//           WindowImplBase::Notify(msg);   // turns "windowinit" into OnPrepare
//       }
//   };
//   CMyWnd wnd;
//   wnd.Create(owner, L"Name", WS_POPUP | WS_VISIBLE, 0);
//   wnd.CenterWindow();
//   UINT result = wnd.ShowModal();      // the value given to Close
//
// Creating the window reads the layout: the skin resource (GetResourceType,
// GetResourceID) is opened as the package unless one is already open, the
// entry GetSkinFile is parsed and the controls are built. A missing resource
// leaves the window without controls; a layout that cannot be read or holds
// no control shows "加载资源文件失败" and ends the process with exit code 1.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/control_host.h"
#include "toolkit/notify.h"

namespace zelui {

class WindowImplBase : public INotifyUI, private ControlHost {
public:
    WindowImplBase();
    virtual ~WindowImplBase();
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // ---- Settings the subclass gives -------------------------------------
    virtual LPCWSTR GetWindowClassName() const { return L"WindowImplBase"; }
    virtual UINT GetClassStyle() const { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    // Layout entry inside the skin package.
    virtual std::wstring GetSkinFile() const = 0;
    virtual LPCWSTR GetResourceType() const { return L"ZIPRES"; }
    virtual UINT GetResourceID() const { return 133; }

    // ---- Hooks -----------------------------------------------------------
    // After the controls are built (during creation, before the first paint).
    virtual void InitWindow() {}
    // On "windowinit": once, at the first paint after the first layout.
    virtual void OnPrepare() {}
    // Every notification of the window's controls. The base turns
    // "windowinit" into OnPrepare; overrides pass notifications on to it.
    void Notify(TNotifyUI& msg) override;
    // Messages the toolkit does not handle itself; set `handled` to answer.
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    // After the native window is gone (WM_NCDESTROY).
    virtual void OnFinalMessage(HWND hwnd) { (void)hwnd; }

    // ---- Native window ---------------------------------------------------
    HWND Create(HWND owner, LPCWSTR name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
    HWND GetHWND() const override { return hwnd_; }
    // The toolkit window behind a native handle, or null.
    static WindowImplBase* FromHandle(HWND hwnd);
    // Centres over a visible owner, else over the work area of its monitor.
    void CenterWindow();
    // Shows the window and runs its message loop (all of the thread's
    // messages) until the window is destroyed. The owner is disabled
    // meanwhile. Returns the result given to Close (0 for any other close).
    UINT ShowModal();
    // Asks the window to close (a posted WM_CLOSE) with `result` for ShowModal.
    void Close(UINT result = IDOK);

    // ---- Controls --------------------------------------------------------
    // First control with this name in document order, or null.
    Control* FindControl(const std::wstring& name) const;
    Control* GetRoot() const { return root_.get(); }
    // True when `control` is part of this window's tree.
    bool IsControlInTree(const Control* control) const;
    // Timers bound to controls (also reachable as Control::SetTimer).
    bool SetTimer(Control* control, UINT timerId, UINT elapseMs) override;
    void KillTimer(Control* control, UINT timerId) override;
    Control* GetFocusControl() const override { return focus_; }
    SIZE GetInitSize() const { return initSize_; }

protected:
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool RegisterWindowClass();
    void OnCreate();
    void DoLayout();
    void OnPaint();
    void OnMouseMove(POINT pt);
    void OnButtonDown(POINT pt);
    void OnButtonUp(POINT pt);
    void OnKeyDown(WPARAM key);
    void MoveFocus(bool forward);
    void UpdateToolTip();

    // ControlHost
    void Invalidate(const RECT& rect) override;
    void NeedLayout() override;
    HFONT GetFont(int id) override;
    SIZE MeasureText(int fontId, const std::wstring& text, int width, UINT format) override;
    void SendNotify(Control* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam) override;
    void SetFocusControl(Control* control) override;
    void ReleaseControl(Control* control) override;

    struct FontHolder;
    struct TimerEntry {
        Control* control;
        UINT timerId;
        UINT_PTR nativeId;
    };

    HWND hwnd_ = nullptr;
    std::unique_ptr<Control> root_;
    std::map<int, std::unique_ptr<FontHolder>> fonts_;
    std::unique_ptr<FontHolder> defaultFont_;
    SIZE initSize_{0, 0};
    RECT caption_{0, 0, 0, 0};
    Control* hot_ = nullptr;
    Control* pushed_ = nullptr;
    Control* focus_ = nullptr;
    std::vector<TimerEntry> timers_;
    UINT_PTR nextTimerId_ = 0x1000;
    HWND tooltip_ = nullptr;
    bool needLayout_ = true;
    bool windowInitSent_ = false;
    bool trackingMouse_ = false;
    UINT modalResult_ = 0;
};

// Makes the process system-DPI-aware where the system offers it (Windows 8.1
// and later, through Shcore); failures are ignored.
void MakeProcessSystemDpiAware();

}  // namespace zelui
