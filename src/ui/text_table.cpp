#include "ui/text_table.h"

#include <pugixml.hpp>

#include "support/ascii_case.h"
#include "support/text_convert.h"
#include "toolkit/skin_archive.h"
#include "toolkit/text_table.h"

namespace {

// Value of the attribute called `name` in any case, or null when absent.
const char* AttributeNoCase(const pugi::xml_node& node, const wchar_t* name) {
    for (const pugi::xml_attribute& attr : node.attributes()) {
        if (EqualNoCase(Utf8ToWide(attr.name()), name)) return attr.value();
    }
    return nullptr;
}

}  // namespace

bool LoadLocaleFile(const std::wstring& source) {
    std::string xml;
    if (!source.empty() && source[0] == L'<') {
        xml = WideToUtf8(source);
    } else if (!zelui::SkinArchive::Instance().Read(source, xml)) {
        return false;
    }
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size())) return false;
    pugi::xml_node root = doc.document_element();
    if (!root) return false;
    zelui::TextTable& table = zelui::TextTable::Instance();
    for (const pugi::xml_node& child : root.children()) {
        if (child.type() != pugi::node_element || !EqualNoCase(Utf8ToWide(child.name()), L"Text")) continue;
        const char* id = AttributeNoCase(child, L"id");
        const char* value = AttributeNoCase(child, L"value");
        if (id && value) table.Set(Utf8ToWide(id), Utf8ToWide(value));
    }
    return true;
}

std::wstring LookupText(const wchar_t* id) {
    if (!id) return std::wstring();
    return zelui::TextTable::Instance().Lookup(id);
}

std::wstring LookupText(const std::wstring& id) { return zelui::TextTable::Instance().Lookup(id); }
