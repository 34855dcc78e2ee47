#pragma once
// What a control needs from the window that holds it. The window base
// implements it; tests can give controls a small fake.
#include <windows.h>

#include <string>

namespace zelui {

class Control;

class ControlHost {
public:
    virtual HWND GetHWND() const = 0;
    // Repaint a part of the client area (client coordinates).
    virtual void Invalidate(const RECT& rect) = 0;
    // Sizes or visibility changed: lay the tree out again before painting.
    virtual void NeedLayout() = 0;
    // Font by layout id; unknown ids (and -1) give the window's default font.
    virtual HFONT GetFont(int id) = 0;
    // Size of `text` drawn with DrawText `format` in font `fontId`, wrapped
    // at `width` when the format breaks words.
    virtual SIZE MeasureText(int fontId, const std::wstring& text, int width, UINT format) = 0;
    virtual void SendNotify(Control* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0) = 0;
    virtual void SetFocusControl(Control* control) = 0;
    virtual Control* GetFocusControl() const = 0;
    virtual bool SetTimer(Control* control, UINT timerId, UINT elapseMs) = 0;
    virtual void KillTimer(Control* control, UINT timerId) = 0;
    // Forget everything held about a control that is going away.
    virtual void ReleaseControl(Control* control) = 0;

protected:
    ~ControlHost() = default;
};

}  // namespace zelui
