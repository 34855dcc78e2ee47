#pragma once
// Windowless controls of the retained-mode toolkit. A window holds one tree of
// them (built from a layout), lays it out, paints it into one back buffer and
// routes mouse, keyboard and timer events to them. Only the single-line edit
// owns a native child window, so typing and input methods work as usual.
//
// Texts: a control whose "resourcetext" is true treats its text and tooltip as
// text identifiers and shows TextTable::Lookup of them each time they are
// displayed; GetText returns what was set, GetDisplayText what is shown.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/attributes.h"
#include "toolkit/control_host.h"
#include "toolkit/layout_math.h"

namespace zelui {

class Container;

// Where and with what a control paints (see painter.h).
struct PaintContext;

class Control {
public:
    Control();
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Element name in the layout language ("Control" for the spacer).
    virtual const wchar_t* GetClass() const { return L"Control"; }

    // Sets one layout attribute (name matched without regard to case).
    // Unknown attributes are ignored.
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);

    const std::wstring& GetName() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }

    virtual std::wstring GetText() const { return text_; }
    virtual void SetText(const std::wstring& text);
    // The text as shown: looked up when the control is a resource text.
    std::wstring GetDisplayText() const;
    void SetToolTip(const std::wstring& tip) { tooltip_ = tip; }
    // The tooltip as shown (looked up like the text).
    std::wstring GetToolTip() const;
    bool IsResourceText() const { return resourceText_; }
    void SetResourceText(bool on);

    // Visibility of this control alone; IsVisibleInTree also needs every
    // container above it visible.
    bool IsVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool IsVisibleInTree() const;

    void SetBkImage(const std::wstring& image);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkColor(uint32_t argb);
    uint32_t GetBkColor() const { return bkColor_; }
    void SetTextColor(uint32_t argb);
    uint32_t GetTextColor() const { return textColor_; }

    // Keyboard focus (for buttons and options: Enter or Space clicks them).
    virtual void SetFocus();
    bool IsFocused() const;

    // A timer bound to this control: its "timer" notification carries
    // `timerId` and this control as sender.
    bool SetTimer(UINT timerId, UINT elapseMs);
    void KillTimer(UINT timerId);

    // Layout.
    const RECT& GetPos() const { return pos_; }
    virtual void SetPos(const RECT& rect);
    const Padding& GetPadding() const { return padding_; }
    int GetFixedWidth() const { return width_; }
    int GetFixedHeight() const { return height_; }
    bool IsAutoHeight() const { return autoHeight_; }
    void SetFixedSize(int width, int height);
    // Height wanted for a given width: the fixed height, or the measured
    // content when the height is "auto".
    virtual int EstimateHeight(int width);

    Container* GetParent() const { return parent_; }
    ControlHost* GetHost() const { return host_; }
    // Joins the control (and its children) to a window; called once the tree
    // is complete and the window exists.
    virtual void Attach(ControlHost* host, Container* parent);

    // Painting: background colour, background image, state images, text,
    // border.
    void Paint(PaintContext& ctx);
    // Deepest visible control at `pt` that reacts to the mouse, or null.
    virtual Control* FindInteractiveAt(POINT pt);
    virtual Control* FindByName(const std::wstring& name);
    // Buttons and options react to clicks, hover and keyboard activation.
    virtual bool IsInteractive() const { return false; }
    // Mouse or keyboard activation (a completed click).
    virtual void Activate() {}
    // Native children follow the tree's visibility after each layout.
    virtual void SyncNativeWindows() {}

    void Invalidate();

protected:
    virtual void PaintBackground(PaintContext& ctx);
    virtual void PaintStatusImage(PaintContext& ctx) { (void)ctx; }
    virtual void PaintText(PaintContext& ctx) { (void)ctx; }
    virtual void PaintBorder(PaintContext& ctx);
    virtual void PaintChildren(PaintContext& ctx) { (void)ctx; }
    // Draws an image attribute (plain path or file=/dest=) into this control.
    void DrawImage(PaintContext& ctx, const std::wstring& image);
    // DrawText flags for this control's text alignment.
    UINT TextFormat(UINT defaults) const;

    std::wstring name_;
    std::wstring text_;
    std::wstring tooltip_;
    bool resourceText_ = false;
    bool endEllipsis_ = false;
    bool visible_ = true;
    int font_ = -1;
    uint32_t textColor_ = 0xFF000000;
    uint32_t bkColor_ = 0;
    uint32_t borderColor_ = 0;
    int borderSize_ = 0;
    std::wstring bkImage_;
    // DrawText alignment from "align" ("left", "center", "right", "top",
    // "vcenter", "bottom"); -1 keeps the control's default.
    int hAlign_ = -1;
    int vAlign_ = -1;
    Padding padding_;
    int width_ = 0;
    int height_ = 0;
    bool autoHeight_ = false;
    RECT pos_{0, 0, 0, 0};
    Container* parent_ = nullptr;
    ControlHost* host_ = nullptr;
};

// Stacks its visible children top to bottom (vertical) or left to right.
class Container : public Control {
public:
    explicit Container(Axis axis) : axis_(axis) {}
    const wchar_t* GetClass() const override {
        return axis_ == Axis::Vertical ? L"VerticalLayout" : L"HorizontalLayout";
    }
    Axis GetAxis() const { return axis_; }

    void Add(std::unique_ptr<Control> child);
    size_t GetCount() const { return children_.size(); }
    Control* GetItemAt(size_t index) const { return index < children_.size() ? children_[index].get() : nullptr; }

    void SetPos(const RECT& rect) override;
    int EstimateHeight(int width) override;
    void Attach(ControlHost* host, Container* parent) override;
    Control* FindInteractiveAt(POINT pt) override;
    Control* FindByName(const std::wstring& name) override;
    void SyncNativeWindows() override;

protected:
    void PaintChildren(PaintContext& ctx) override;

private:
    // The visible children as the layout arithmetic sees them, auto heights
    // measured for the width each will get.
    std::vector<StackItem> StackItems(int areaWidth, std::vector<Control*>& visible);

    Axis axis_;
    std::vector<std::unique_ptr<Control>> children_;
};

// One line of text, optionally cut with an ellipsis.
class Label : public Control {
public:
    const wchar_t* GetClass() const override { return L"Label"; }
    int EstimateHeight(int width) override;

protected:
    void PaintText(PaintContext& ctx) override;
    virtual UINT DefaultTextFormat() const { return DT_LEFT | DT_VCENTER | DT_SINGLELINE; }
};

// A clickable label with normal, hot and pushed images; sends "click".
class Button : public Label {
public:
    const wchar_t* GetClass() const override { return L"Button"; }
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    bool IsInteractive() const override { return true; }
    void Activate() override;
    void SetHot(bool hot);
    void SetPushed(bool pushed);

protected:
    void PaintStatusImage(PaintContext& ctx) override;
    void PaintBorder(PaintContext& ctx) override;
    UINT DefaultTextFormat() const override { return DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

    std::wstring normalImage_, hotImage_, pushedImage_;
    bool hot_ = false;
    bool pushed_ = false;
};

// A check box: a click toggles "selected", then sends "click".
class Option : public Button {
public:
    const wchar_t* GetClass() const override { return L"Option"; }
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void Activate() override;
    bool IsSelected() const { return selected_; }
    void Selected(bool selected);

protected:
    void PaintStatusImage(PaintContext& ctx) override;

private:
    std::wstring selectedImage_;
    bool selected_ = false;
};

// Single-line text input: a native edit control kept at the control's place.
class Edit : public Control {
public:
    ~Edit() override;
    const wchar_t* GetClass() const override { return L"Edit"; }
    std::wstring GetText() const override;
    void SetText(const std::wstring& text) override;
    void SetPos(const RECT& rect) override;
    void Attach(ControlHost* host, Container* parent) override;
    void SetFocus() override;
    void SyncNativeWindows() override;
    HWND GetEditWindow() const { return edit_; }
    // Colour for WM_CTLCOLOREDIT (the text colour without its alpha).
    COLORREF GetNativeTextColor() const;

private:
    HWND edit_ = nullptr;
};

// Multi-line, read-only text that wraps at the control's width; an "auto"
// height follows the wrapped text.
class RichEdit : public Label {
public:
    const wchar_t* GetClass() const override { return L"RichEdit"; }

protected:
    UINT DefaultTextFormat() const override { return DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL; }
};

// Horizontal bar: the track colour everywhere, the fore image over the part
// from min to value.
class Progress : public Control {
public:
    const wchar_t* GetClass() const override { return L"Progress"; }
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    int GetValue() const { return value_; }
    void SetValue(int value);
    // Width in pixels of the filled part for the current value.
    int FilledWidth() const;

protected:
    void PaintStatusImage(PaintContext& ctx) override;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    std::wstring foreImage_;
};

// Creates the control named by a layout element ("Label", "Button", ...), or
// null for an unknown name.
std::unique_ptr<Control> CreateControl(const std::wstring& elementName);

}  // namespace zelui
