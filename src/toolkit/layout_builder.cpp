#include "toolkit/layout_builder.h"

#include <pugixml.hpp>

#include <map>

#include "support/log.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("layout");

namespace zelui {

namespace {

std::wstring Wide(const char* s) { return Utf8ToWide(s ? s : ""); }

using StyleMap = std::map<std::wstring, std::wstring>;

void ApplyAttributes(Control& control, const pugi::xml_node& node, const StyleMap& styles) {
    for (const pugi::xml_attribute& attr : node.attributes()) {
        std::wstring name = Wide(attr.name());
        std::wstring value = Wide(attr.value());
        if (EqualNoCase(name, L"style")) {
            auto it = styles.find(value);
            if (it == styles.end()) {
                LOG_WARN("Window") << L"unknown style " << value;
                continue;
            }
            for (const auto& [styleName, styleValue] : ParseAttributeString(it->second)) {
                control.SetAttribute(styleName, styleValue);
            }
        } else {
            control.SetAttribute(name, value);
        }
    }
}

std::unique_ptr<Control> BuildControl(const pugi::xml_node& node, const StyleMap& styles) {
    std::unique_ptr<Control> control = CreateControl(Wide(node.name()));
    if (!control) return nullptr;
    ApplyAttributes(*control, node, styles);
    if (auto* container = dynamic_cast<Container*>(control.get())) {
        for (const pugi::xml_node& child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (auto built = BuildControl(child, styles)) {
                container->Add(std::move(built));
            } else {
                LOG_WARN("Window") << L"unknown control " << Wide(child.name());
            }
        }
    }
    return control;
}

std::wstring Attr(const pugi::xml_node& node, const wchar_t* name) {
    for (const pugi::xml_attribute& attr : node.attributes()) {
        if (EqualNoCase(Wide(attr.name()), name)) return Wide(attr.value());
    }
    return L"";
}

}  // namespace

bool ParseLayout(const std::string& xml, Layout& layout) {
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size())) return false;
    pugi::xml_node window = doc.document_element();
    if (!window || !EqualNoCase(Wide(window.name()), L"Window")) return false;

    int n[4];
    if (ParseInts(Attr(window, L"size"), n, 2)) layout.size = SIZE{n[0], n[1]};
    if (ParseInts(Attr(window, L"caption"), n, 4)) layout.caption = RECT{n[0], n[1], n[2], n[3]};

    StyleMap styles;
    for (const pugi::xml_node& child : window.children()) {
        if (child.type() != pugi::node_element) continue;
        std::wstring element = Wide(child.name());
        if (EqualNoCase(element, L"Font")) {
            FontDef font;
            if (ParseInts(Attr(child, L"id"), n, 1)) font.id = n[0];
            font.name = Attr(child, L"name");
            if (ParseInts(Attr(child, L"size"), n, 1)) font.size = n[0];
            font.bold = ParseBool(Attr(child, L"bold"));
            layout.fonts.push_back(font);
        } else if (EqualNoCase(element, L"Style")) {
            styles[Attr(child, L"name")] = Attr(child, L"value");
        } else if (!layout.root) {
            layout.root = BuildControl(child, styles);
        }
    }
    return true;
}

}  // namespace zelui
