#pragma once
// Notifications from controls to their window's handler.
#include <windows.h>

#include <string>

namespace zelui {

class Control;

// Notification types sent by the toolkit.
inline constexpr const wchar_t* kNotifyClick = L"click";            // a button or option was clicked
inline constexpr const wchar_t* kNotifyTimer = L"timer";            // wParam: the timer id
inline constexpr const wchar_t* kNotifyWindowInit = L"windowinit";  // once, after the first layout

struct TNotifyUI {
    std::wstring sType;
    Control* pSender = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

}  // namespace zelui
