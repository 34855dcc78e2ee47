#pragma once
// The installer's own message box: a small skinned modal window with a
// title, a text, an information icon and up to two buttons.
#include <windows.h>

#include <string>

#include "toolkit/window_impl_base.h"

class CMessageBox : public zelui::WindowImplBase {
public:
    CMessageBox();

    LPCWSTR GetWindowClassName() const override { return L"WindowImplBase"; }
    ~CMessageBox() override;
    void InitWindow() override;
    UINT GetResourceID() const override { return 133; }
    void Notify(zelui::TNotifyUI& msg) override;
    std::wstring GetSkinFile() const override { return L"messagebox.xml"; }

    void SetTitle(const std::wstring& title);
    void SetContent(const std::wstring& content);
    // Shows the buttons whose text is not empty and focuses the first shown.
    void SetButtons(const std::wstring& first, const std::wstring& second);

private:
    zelui::Control* titleLabel_ = nullptr;
    zelui::Control* contentLabel_ = nullptr;
    zelui::Control* yesBtn_ = nullptr;
    zelui::Control* noBtn_ = nullptr;
};

// Shows a message box and returns when it closes: 1 for the first button, 0
// for the second, the close glyph or any other close request. The texts are
// shown as given (callers look identifiers up first); an empty button text
// hides that button. An owner is disabled while the box is open.
UINT ShowMessageBox(HWND owner, const std::wstring& content, const std::wstring& title, const std::wstring& first,
                    const std::wstring& second);
