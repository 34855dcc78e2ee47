#include "ui/message_box.h"

CMessageBox::CMessageBox() { zelui::MakeProcessSystemDpiAware(); }

CMessageBox::~CMessageBox() = default;

void CMessageBox::InitWindow() {
    titleLabel_ = FindControl(L"title_label");
    contentLabel_ = FindControl(L"content_label");
    yesBtn_ = FindControl(L"yes_btn");
    noBtn_ = FindControl(L"no_btn");
}

void CMessageBox::Notify(zelui::TNotifyUI& msg) {
    if (msg.sType == zelui::kNotifyClick && msg.pSender) {
        const std::wstring& name = msg.pSender->GetName();
        if (name == L"close_btn" || name == L"no_btn") {
            Close(0);
        } else if (name == L"yes_btn") {
            Close(1);
        }
    }
    WindowImplBase::Notify(msg);
}

void CMessageBox::SetTitle(const std::wstring& title) {
    if (titleLabel_) titleLabel_->SetText(title);
}

void CMessageBox::SetContent(const std::wstring& content) {
    if (contentLabel_) contentLabel_->SetText(content);
}

void CMessageBox::SetButtons(const std::wstring& first, const std::wstring& second) {
    if (yesBtn_) {
        yesBtn_->SetVisible(!first.empty());
        if (!first.empty()) {
            yesBtn_->SetText(first);
            yesBtn_->SetFocus();
        }
    }
    if (noBtn_) {
        noBtn_->SetVisible(!second.empty());
        if (!second.empty()) {
            noBtn_->SetText(second);
            if (first.empty()) noBtn_->SetFocus();
        }
    }
}

UINT ShowMessageBox(HWND owner, const std::wstring& content, const std::wstring& title, const std::wstring& first,
                    const std::wstring& second) {
    CMessageBox box;
    if (!box.Create(owner, L"MessageBox", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPSIBLINGS |
                                              WS_CLIPCHILDREN,
                    WS_EX_WINDOWEDGE)) {
        return 0;
    }
    box.SetTitle(title);
    box.SetContent(content);
    box.SetButtons(first, second);
    box.CenterWindow();
    return box.ShowModal();
}
