#include "toolkit/control.h"

#include <algorithm>

#include "toolkit/notify.h"
#include "toolkit/painter.h"
#include "toolkit/text_table.h"

namespace zelui {

namespace {

bool Intersects(const RECT& a, const RECT& b) {
    RECT r;
    return ::IntersectRect(&r, &a, &b) != FALSE;
}

bool Contains(const RECT& r, POINT pt) { return ::PtInRect(&r, pt) != FALSE; }

// Sets the horizontal or vertical DrawText alignment named by `value`.
void ParseAlign(const std::wstring& value, int& hAlign, int& vAlign) {
    if (EqualNoCase(value, L"left")) hAlign = DT_LEFT;
    else if (EqualNoCase(value, L"center")) hAlign = DT_CENTER;
    else if (EqualNoCase(value, L"right")) hAlign = DT_RIGHT;
    else if (EqualNoCase(value, L"top")) vAlign = DT_TOP;
    else if (EqualNoCase(value, L"vcenter")) vAlign = DT_VCENTER;
    else if (EqualNoCase(value, L"bottom")) vAlign = DT_BOTTOM;
}

}  // namespace

// ---- Control ---------------------------------------------------------------

Control::Control() = default;

Control::~Control() {
    if (host_) host_->ReleaseControl(this);
}

void Control::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int n[4];
    uint32_t color = 0;
    if (EqualNoCase(name, L"name")) {
        name_ = value;
    } else if (EqualNoCase(name, L"text")) {
        SetText(value);
    } else if (EqualNoCase(name, L"tooltip")) {
        tooltip_ = value;
    } else if (EqualNoCase(name, L"resourcetext")) {
        resourceText_ = ParseBool(value);
    } else if (EqualNoCase(name, L"endellipsis")) {
        endEllipsis_ = ParseBool(value);
    } else if (EqualNoCase(name, L"visible")) {
        visible_ = ParseBool(value);
    } else if (EqualNoCase(name, L"font")) {
        if (ParseInts(value, n, 1)) font_ = n[0];
    } else if (EqualNoCase(name, L"textcolor")) {
        if (ParseColor(value, color)) textColor_ = color;
    } else if (EqualNoCase(name, L"bkcolor")) {
        if (ParseColor(value, color)) bkColor_ = color;
    } else if (EqualNoCase(name, L"bordercolor")) {
        if (ParseColor(value, color)) borderColor_ = color;
    } else if (EqualNoCase(name, L"bordersize")) {
        if (ParseInts(value, n, 1)) borderSize_ = n[0];
    } else if (EqualNoCase(name, L"bkimage")) {
        bkImage_ = value;
    } else if (EqualNoCase(name, L"align")) {
        ParseAlign(value, hAlign_, vAlign_);
    } else if (EqualNoCase(name, L"padding")) {
        if (ParseInts(value, n, 4)) padding_ = Padding{n[0], n[1], n[2], n[3]};
    } else if (EqualNoCase(name, L"width")) {
        if (ParseInts(value, n, 1)) width_ = std::max(n[0], 0);
    } else if (EqualNoCase(name, L"height")) {
        autoHeight_ = EqualNoCase(value, L"auto");
        if (!autoHeight_ && ParseInts(value, n, 1)) height_ = std::max(n[0], 0);
    }
}

void Control::SetText(const std::wstring& text) {
    if (text_ == text) return;
    text_ = text;
    if (autoHeight_ && host_) host_->NeedLayout();
    Invalidate();
}

std::wstring Control::GetDisplayText() const {
    std::wstring text = GetText();
    return resourceText_ ? TextTable::Instance().Lookup(text) : text;
}

std::wstring Control::GetToolTip() const {
    return resourceText_ ? TextTable::Instance().Lookup(tooltip_) : tooltip_;
}

void Control::SetResourceText(bool on) {
    resourceText_ = on;
    Invalidate();
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (host_) host_->NeedLayout();
}

bool Control::IsVisibleInTree() const {
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->visible_) return false;
    }
    return true;
}

void Control::SetBkImage(const std::wstring& image) {
    if (bkImage_ == image) return;
    bkImage_ = image;
    Invalidate();
}

void Control::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    Invalidate();
}

void Control::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    Invalidate();
}

void Control::SetFocus() {
    if (host_) host_->SetFocusControl(this);
}

bool Control::IsFocused() const { return host_ && host_->GetFocusControl() == this; }

bool Control::SetTimer(UINT timerId, UINT elapseMs) { return host_ && host_->SetTimer(this, timerId, elapseMs); }

void Control::KillTimer(UINT timerId) {
    if (host_) host_->KillTimer(this, timerId);
}

void Control::SetPos(const RECT& rect) {
    if (::EqualRect(&pos_, &rect)) return;
    Invalidate();
    pos_ = rect;
    Invalidate();
}

void Control::SetFixedSize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    autoHeight_ = false;
    if (host_) host_->NeedLayout();
}

int Control::EstimateHeight(int) { return height_; }

void Control::Attach(ControlHost* host, Container* parent) {
    host_ = host;
    parent_ = parent;
}

void Control::Paint(PaintContext& ctx) {
    if (!visible_ || !Intersects(pos_, ctx.clip)) return;
    PaintBackground(ctx);
    PaintStatusImage(ctx);
    PaintText(ctx);
    PaintBorder(ctx);
    PaintChildren(ctx);
}

void Control::PaintBackground(PaintContext& ctx) {
    FillArgb(ctx.dc, pos_, bkColor_);
    if (!bkImage_.empty()) DrawImage(ctx, bkImage_);
}

void Control::PaintBorder(PaintContext& ctx) {
    if (borderSize_ > 0) FrameArgb(ctx.dc, pos_, borderColor_, borderSize_);
}

void Control::DrawImage(PaintContext& ctx, const std::wstring& image) {
    ImageRef ref = ParseImage(image);
    RECT dest = pos_;
    if (ref.hasDest) {
        dest = RECT{pos_.left + ref.dest.left, pos_.top + ref.dest.top, pos_.left + ref.dest.right,
                    pos_.top + ref.dest.bottom};
    }
    DrawBitmap(ctx.dc, ImageCache::Instance().Get(ref.file), dest);
}

UINT Control::TextFormat(UINT defaults) const {
    UINT format = defaults;
    if (hAlign_ >= 0) format = (format & ~(DT_LEFT | DT_CENTER | DT_RIGHT)) | static_cast<UINT>(hAlign_);
    if (vAlign_ >= 0 && (format & DT_SINGLELINE)) {
        format = (format & ~(DT_TOP | DT_VCENTER | DT_BOTTOM)) | static_cast<UINT>(vAlign_);
    }
    if (endEllipsis_) format |= DT_END_ELLIPSIS;
    return format | DT_NOPREFIX;
}

Control* Control::FindInteractiveAt(POINT pt) {
    return visible_ && IsInteractive() && Contains(pos_, pt) ? this : nullptr;
}

Control* Control::FindByName(const std::wstring& name) { return name_ == name ? this : nullptr; }

void Control::Invalidate() {
    if (host_ && visible_) host_->Invalidate(pos_);
}

// ---- Container -------------------------------------------------------------

void Container::Add(std::unique_ptr<Control> child) { children_.push_back(std::move(child)); }

std::vector<StackItem> Container::StackItems(int areaWidth, std::vector<Control*>& visible) {
    std::vector<StackItem> items;
    for (auto& child : children_) {
        if (!child->IsVisible()) continue;
        const Padding& p = child->GetPadding();
        int width = child->GetFixedWidth();
        int measureWidth = width > 0 ? width : areaWidth - p.left - p.right;
        int height = child->IsAutoHeight() ? child->EstimateHeight(std::max(measureWidth, 0)) : child->GetFixedHeight();
        items.push_back(StackItem{width, height, p});
        visible.push_back(child.get());
    }
    return items;
}

void Container::SetPos(const RECT& rect) {
    Control::SetPos(rect);
    std::vector<Control*> visible;
    std::vector<StackItem> items = StackItems(rect.right - rect.left, visible);
    std::vector<RECT> rects = ArrangeStack(axis_, rect, items);
    for (size_t i = 0; i < visible.size(); ++i) visible[i]->SetPos(rects[i]);
}

int Container::EstimateHeight(int width) {
    if (!autoHeight_) return height_;
    std::vector<Control*> visible;
    return StackContentHeight(axis_, StackItems(width, visible));
}

void Container::Attach(ControlHost* host, Container* parent) {
    Control::Attach(host, parent);
    for (auto& child : children_) child->Attach(host, this);
}

Control* Container::FindInteractiveAt(POINT pt) {
    if (!visible_ || !Contains(pos_, pt)) return nullptr;
    // Later children paint over earlier ones, so they are hit first.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (Control* hit = (*it)->FindInteractiveAt(pt)) return hit;
    }
    return Control::FindInteractiveAt(pt);
}

Control* Container::FindByName(const std::wstring& name) {
    if (name_ == name) return this;
    for (auto& child : children_) {
        if (Control* found = child->FindByName(name)) return found;
    }
    return nullptr;
}

void Container::SyncNativeWindows() {
    for (auto& child : children_) child->SyncNativeWindows();
}

void Container::PaintChildren(PaintContext& ctx) {
    for (auto& child : children_) child->Paint(ctx);
}

// ---- Label -----------------------------------------------------------------

int Label::EstimateHeight(int width) {
    if (!autoHeight_) return height_;
    if (!host_) return 0;
    std::wstring text = GetDisplayText();
    return host_->MeasureText(font_, text.empty() ? L" " : text, width, TextFormat(DefaultTextFormat())).cy;
}

void Label::PaintText(PaintContext& ctx) {
    std::wstring text = GetDisplayText();
    if (text.empty() || !ctx.host) return;
    HGDIOBJ oldFont = ::SelectObject(ctx.dc, ctx.host->GetFont(font_));
    ::SetBkMode(ctx.dc, TRANSPARENT);
    ::SetTextColor(ctx.dc, OpaqueColor(textColor_));
    RECT rc = pos_;
    ::DrawTextW(ctx.dc, text.c_str(), static_cast<int>(text.size()), &rc, TextFormat(DefaultTextFormat()));
    ::SelectObject(ctx.dc, oldFont);
}

// ---- Button ----------------------------------------------------------------

void Button::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (EqualNoCase(name, L"normalimage")) {
        normalImage_ = value;
    } else if (EqualNoCase(name, L"hotimage")) {
        hotImage_ = value;
    } else if (EqualNoCase(name, L"pushedimage")) {
        pushedImage_ = value;
    } else {
        Label::SetAttribute(name, value);
    }
}

void Button::Activate() {
    if (host_) host_->SendNotify(this, kNotifyClick);
}

void Button::SetHot(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    Invalidate();
}

void Button::SetPushed(bool pushed) {
    if (pushed_ == pushed) return;
    pushed_ = pushed;
    Invalidate();
}

void Button::PaintStatusImage(PaintContext& ctx) {
    const std::wstring* image = &normalImage_;
    if (pushed_ && hot_ && !pushedImage_.empty()) {
        image = &pushedImage_;
    } else if (hot_ && !hotImage_.empty()) {
        image = &hotImage_;
    }
    if (!image->empty()) DrawImage(ctx, *image);
}

void Button::PaintBorder(PaintContext& ctx) {
    Control::PaintBorder(ctx);
    if (IsFocused()) {
        // A dotted frame just inside the edge shows where Enter goes.
        RECT focus = pos_;
        ::InflateRect(&focus, -3, -3);
        if (focus.right - focus.left > 6 && focus.bottom - focus.top > 6) {
            ::SetTextColor(ctx.dc, RGB(0, 0, 0));
            ::SetBkColor(ctx.dc, RGB(255, 255, 255));
            ::DrawFocusRect(ctx.dc, &focus);
        }
    }
}

// ---- Option ----------------------------------------------------------------

void Option::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (EqualNoCase(name, L"selected")) {
        selected_ = ParseBool(value);
    } else if (EqualNoCase(name, L"selectedimage")) {
        selectedImage_ = value;
    } else {
        Button::SetAttribute(name, value);
    }
}

void Option::Activate() {
    Selected(!selected_);
    Button::Activate();
}

void Option::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    Invalidate();
}

void Option::PaintStatusImage(PaintContext& ctx) {
    if (selected_ && !selectedImage_.empty()) {
        DrawImage(ctx, selectedImage_);
    } else {
        Button::PaintStatusImage(ctx);
    }
}

// ---- Progress --------------------------------------------------------------

void Progress::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int n[1];
    if (EqualNoCase(name, L"min")) {
        if (ParseInts(value, n, 1)) min_ = n[0];
    } else if (EqualNoCase(name, L"max")) {
        if (ParseInts(value, n, 1)) max_ = n[0];
    } else if (EqualNoCase(name, L"value")) {
        if (ParseInts(value, n, 1)) value_ = n[0];
    } else if (EqualNoCase(name, L"foreimage")) {
        foreImage_ = value;
    } else {
        Control::SetAttribute(name, value);
    }
}

void Progress::SetValue(int value) {
    if (value_ == value) return;
    value_ = value;
    Invalidate();
}

int Progress::FilledWidth() const { return ProgressFillWidth(pos_.right - pos_.left, min_, max_, value_); }

void Progress::PaintStatusImage(PaintContext& ctx) {
    int filled = FilledWidth();
    if (filled <= 0 || foreImage_.empty()) return;
    ImageRef ref = ParseImage(foreImage_);
    RECT dest{pos_.left, pos_.top, pos_.left + filled, pos_.bottom};
    DrawBitmap(ctx.dc, ImageCache::Instance().Get(ref.file), dest);
}

// ---- Factory ---------------------------------------------------------------

std::unique_ptr<Control> CreateControl(const std::wstring& elementName) {
    if (EqualNoCase(elementName, L"VerticalLayout")) return std::make_unique<Container>(Axis::Vertical);
    if (EqualNoCase(elementName, L"HorizontalLayout")) return std::make_unique<Container>(Axis::Horizontal);
    if (EqualNoCase(elementName, L"Label")) return std::make_unique<Label>();
    if (EqualNoCase(elementName, L"Button")) return std::make_unique<Button>();
    if (EqualNoCase(elementName, L"Option")) return std::make_unique<Option>();
    if (EqualNoCase(elementName, L"Edit")) return std::make_unique<Edit>();
    if (EqualNoCase(elementName, L"RichEdit")) return std::make_unique<RichEdit>();
    if (EqualNoCase(elementName, L"Progress")) return std::make_unique<Progress>();
    if (EqualNoCase(elementName, L"Control")) return std::make_unique<Control>();
    return nullptr;
}

}  // namespace zelui
