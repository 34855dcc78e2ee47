#include "support/xml_reader.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include <pugixml.hpp>

#include "support/handle_guard.h"
#include "support/text_convert.h"

XmlNode::XmlNode(std::wstring name) : name_(std::move(name)) {}

XmlNode::~XmlNode() {
    // Post-order without recursion: detach every descendant into a flat list
    // first, then release the list from the deepest entries back.
    std::vector<std::unique_ptr<XmlNode>> pending;
    for (auto& c : children_) pending.push_back(std::move(c));
    children_.clear();
    for (size_t i = 0; i < pending.size(); ++i) {
        auto& grandChildren = pending[i]->children_;
        for (auto& c : grandChildren) pending.push_back(std::move(c));
        grandChildren.clear();
    }
    while (!pending.empty()) pending.pop_back();
}

std::vector<XmlNode*> XmlNode::Children() const {
    std::vector<XmlNode*> out;
    out.reserve(children_.size());
    for (const auto& c : children_) out.push_back(c.get());
    return out;
}

XmlNode* XmlNode::ChildByName(const std::wstring& name) const {
    for (const auto& c : children_)
        if (c->name_ == name) return c.get();
    return nullptr;
}

std::wstring XmlNode::Attribute(const std::wstring& name) const {
    for (const auto& a : attributes_)
        if (a.first == name) return a.second;
    return std::wstring();
}

void XmlNode::AddAttribute(const std::wstring& name, const std::wstring& value) {
    for (auto& a : attributes_) {
        if (a.first == name) {
            a.second = value;
            return;
        }
    }
    attributes_.emplace_back(name, value);
}

XmlNode* XmlNode::AppendChild(std::unique_ptr<XmlNode> child) {
    children_.push_back(std::move(child));
    return children_.back().get();
}

namespace {

std::unique_ptr<XmlNode> MakeNode(const pugi::xml_node& element) {
    auto node = std::make_unique<XmlNode>(Utf8ToWide(element.name()));
    for (const pugi::xml_attribute& a : element.attributes()) node->AddAttribute(Utf8ToWide(a.name()), Utf8ToWide(a.value()));
    return node;
}

// Copies the element children of `source` below `target`, depth-first in
// document order, with an explicit stack so nesting depth costs no stack.
void CopyElementChildren(const pugi::xml_node& source, XmlNode* target) {
    std::vector<std::pair<pugi::xml_node, XmlNode*>> stack{{source.first_child(), target}};
    while (!stack.empty()) {
        auto& top = stack.back();
        pugi::xml_node current = top.first;
        XmlNode* parent = top.second;
        if (!current) {
            stack.pop_back();
            continue;
        }
        top.first = current.next_sibling();
        if (current.type() != pugi::node_element) continue;
        XmlNode* added = parent->AppendChild(MakeNode(current));
        stack.emplace_back(current.first_child(), added);
    }
}

}  // namespace

bool XmlDocument::LoadBuffer(const void* data, size_t size) {
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto);
    if (result.status != pugi::status_ok) return false;
    // The root element, skipping anything before it that is not an element.
    pugi::xml_node first = doc.document_element();
    if (!first) return false;
    auto root = MakeNode(first);
    CopyElementChildren(first, root.get());
    root_ = std::move(root);
    return true;
}

bool XmlDocument::LoadFile(const std::wstring& path) {
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) return false;

    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    constexpr DWORD kChunk = 32u * 1024 * 1024;
    size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(kChunk, bytes.size() - filled));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), &bytes[filled], want, &got, nullptr) || got == 0) break;
        filled += got;
    }
    bytes.resize(filled);
    return LoadBuffer(bytes.data(), bytes.size());
}
