// The shipped layouts read into control trees and laid out without a window
// (a fake host measures text as 14 pixels per line).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "harness/test_support.h"
#include "toolkit/control.h"
#include "toolkit/layout_builder.h"
#include "toolkit/notify.h"
#include "toolkit/text_table.h"

namespace zelui {
namespace {

class FakeHost : public ControlHost {
public:
    HWND GetHWND() const override { return nullptr; }
    void Invalidate(const RECT&) override {}
    void NeedLayout() override { ++layouts; }
    HFONT GetFont(int) override { return nullptr; }
    SIZE MeasureText(int, const std::wstring& text, int width, UINT) override {
        // One line per 30 characters of the wrapping width's worth.
        int lines = 1 + static_cast<int>(text.size()) / 30;
        return SIZE{width, 14 * lines};
    }
    void SendNotify(Control* sender, const wchar_t* type, WPARAM wParam, LPARAM) override {
        notes.push_back(std::wstring(type) + L":" + sender->GetName() + L":" + std::to_wstring(wParam));
    }
    void SetFocusControl(Control* c) override { focus = c; }
    Control* GetFocusControl() const override { return focus; }
    bool SetTimer(Control*, UINT, UINT) override { return true; }
    void KillTimer(Control*, UINT) override {}
    void ReleaseControl(Control*) override {}

    int layouts = 0;
    Control* focus = nullptr;
    std::vector<std::wstring> notes;
};

Layout Load(const wchar_t* file) {
    Layout layout;
    std::string xml = zeltest::ReadFileBytes(zeltest::SourcePath(std::wstring(L"src\\ui\\skin\\") + file));
    EXPECT_FALSE(xml.empty()) << "cannot read the layout";
    EXPECT_TRUE(ParseLayout(xml, layout));
    return layout;
}

std::vector<int> Rect(const Control* c) {
    const RECT& r = c->GetPos();
    return {r.left, r.top, r.right, r.bottom};
}

TEST(LayoutBuilder, MessageBoxLayoutPlacesButtonsUnderTheText) {
    Layout layout = Load(L"messagebox.xml");
    ASSERT_TRUE(layout.root);
    EXPECT_EQ(layout.size.cx, 280);
    EXPECT_EQ(layout.size.cy, 140);
    EXPECT_EQ(layout.caption.bottom, 34);
    ASSERT_EQ(layout.fonts.size(), 1u);
    EXPECT_EQ(layout.fonts[0].id, 1);
    EXPECT_EQ(layout.fonts[0].name, L"Arial");
    EXPECT_EQ(layout.fonts[0].size, 12);
    EXPECT_TRUE(layout.fonts[0].bold);

    FakeHost host;
    Control* root = layout.root.get();
    root->Attach(&host, nullptr);
    Control* content = root->FindByName(L"content_label");
    ASSERT_NE(content, nullptr);
    content->SetText(L"Short text.");
    root->SetPos(RECT{0, 0, 280, 140});
    EXPECT_EQ(root->GetBkColor(), 0xFF3C3D5Eu);
    EXPECT_THAT(Rect(root->FindByName(L"close_btn")), testing::ElementsAre(260, 11, 269, 20));
    EXPECT_THAT(Rect(root->FindByName(L"icon")), testing::ElementsAre(32, 45, 50, 63));
    EXPECT_THAT(Rect(content), testing::ElementsAre(60, 45, 280, 59));
    EXPECT_THAT(Rect(root->FindByName(L"yes_btn")), testing::ElementsAre(80, 73, 160, 99));
    EXPECT_THAT(Rect(root->FindByName(L"no_btn")), testing::ElementsAre(180, 73, 260, 99));

    // A longer text grows the auto-height row and moves the buttons down;
    // hiding a button lets the spacer take its place.
    content->SetText(std::wstring(40, L'x'));
    root->FindByName(L"yes_btn")->SetVisible(false);
    root->SetPos(RECT{0, 0, 280, 140});
    EXPECT_THAT(Rect(root->FindByName(L"no_btn")), testing::ElementsAre(180, 83, 260, 109));
    EXPECT_FALSE(root->FindByName(L"yes_btn")->IsVisibleInTree());
}

TEST(LayoutBuilder, MainLayoutAppliesStylesAndPages) {
    Layout layout = Load(L"zeldownloader.xml");
    ASSERT_TRUE(layout.root);
    EXPECT_EQ(layout.size.cx, 462);
    EXPECT_EQ(layout.caption.bottom, 35);
    ASSERT_EQ(layout.fonts.size(), 2u);
    EXPECT_EQ(layout.fonts[1].size, 16);

    FakeHost host;
    Control* root = layout.root.get();
    root->Attach(&host, nullptr);
    EXPECT_EQ(root->GetName(), L"bkg_layout");
    for (const wchar_t* page : {L"start", L"custom_install", L"installing", L"error", L"complete"}) {
        Control* c = root->FindByName(page);
        ASSERT_NE(c, nullptr) << page;
        EXPECT_FALSE(c->IsVisible()) << page;
        EXPECT_EQ(c->GetPadding().top, 195) << page;  // from the style
    }
    Control* install = root->FindByName(L"install_btn");  // the first of the two
    ASSERT_NE(install, nullptr);
    EXPECT_EQ(install->GetParent(), root->FindByName(L"start"));
    EXPECT_TRUE(install->IsResourceText());
    EXPECT_FALSE(root->FindByName(L"error_text")->IsResourceText());

    root->FindByName(L"start")->SetVisible(true);
    root->SetPos(RECT{0, 0, 462, 312});
    EXPECT_THAT(Rect(install), testing::ElementsAre(166, 250, 296, 290));
    EXPECT_THAT(Rect(root->FindByName(L"custom_install_btn")), testing::ElementsAre(306, 220, 462, 312));
    EXPECT_THAT(Rect(root->FindByName(L"minimum_btn")), testing::ElementsAre(415, 11, 426, 20));
    EXPECT_THAT(Rect(root->FindByName(L"title_label")), testing::ElementsAre(39, 6, 415, 35));

    auto* option = dynamic_cast<Option*>(root->FindByName(L"create_icon_opt"));
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(option->IsSelected());
    auto* progress = dynamic_cast<Progress*>(root->FindByName(L"installing_progress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetMaxValue(), 100);
}

TEST(LayoutBuilder, LaterAttributesOverrideTheStyleAndBadInputFails) {
    Layout layout;
    ASSERT_TRUE(ParseLayout(R"(<Window size="10,10"><Style name="s" value="padding=&quot;1,2,3,4&quot; visible=&quot;false&quot;"/>
        <VerticalLayout><Label name="a" style="s" padding="5,5,5,5"/><Label name="b" padding="5,5,5,5" style="s"/>
        <Label name="c" style="missing"/><Unknown name="u"/></VerticalLayout></Window>)",
                            layout));
    ASSERT_TRUE(layout.root);
    EXPECT_EQ(layout.root->FindByName(L"a")->GetPadding().left, 5);
    EXPECT_EQ(layout.root->FindByName(L"b")->GetPadding().left, 1);
    EXPECT_FALSE(layout.root->FindByName(L"b")->IsVisible());
    EXPECT_NE(layout.root->FindByName(L"c"), nullptr);
    EXPECT_EQ(layout.root->FindByName(L"u"), nullptr);

    Layout empty;
    EXPECT_TRUE(ParseLayout("<Window size=\"1,1\"><Font id=\"0\" name=\"Arial\"/></Window>", empty));
    EXPECT_FALSE(empty.root);  // the caller treats this as a failed layout
    Layout bad;
    EXPECT_FALSE(ParseLayout("<Window><VerticalLayout>", bad));
    EXPECT_FALSE(ParseLayout("<Dialog/>", bad));
}

TEST(Controls, ResourceTextClicksAndOptionToggle) {
    TextTable::Instance().Clear();
    TextTable::Instance().Set(L"wnd_install", L"Install");
    Layout layout = Load(L"zeldownloader.xml");
    FakeHost host;
    Control* root = layout.root.get();
    root->Attach(&host, nullptr);

    Control* install = root->FindByName(L"install_btn");
    EXPECT_EQ(install->GetDisplayText(), L"Install");
    EXPECT_EQ(install->GetToolTip(), L"Install");
    install->SetText(L"not an identifier");  // run-time text is looked up too
    EXPECT_EQ(install->GetDisplayText(), L"not an identifier");
    install->SetText(L"wnd_install");
    EXPECT_EQ(install->GetText(), L"wnd_install");

    Control* error = root->FindByName(L"error_text");
    error->SetText(L"wnd_install");  // not a resource text: shown as set
    EXPECT_EQ(error->GetDisplayText(), L"wnd_install");
    EXPECT_EQ(root->FindByName(L"custom_install_btn")->GetDisplayText(), L"wnd_custom_install");

    auto* option = dynamic_cast<Option*>(root->FindByName(L"create_icon_opt"));
    option->Activate();
    EXPECT_FALSE(option->IsSelected());
    install->Activate();
    option->Activate();
    EXPECT_TRUE(option->IsSelected());
    EXPECT_THAT(host.notes, testing::ElementsAre(L"click:create_icon_opt:0", L"click:install_btn:0",
                                                 L"click:create_icon_opt:0"));
    TextTable::Instance().Clear();
}

}  // namespace
}  // namespace zelui
