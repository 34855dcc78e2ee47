#pragma once
// Reads an XML file into a tree of owned element nodes. Only elements are
// kept: text, comments, processing instructions and declarations are dropped.
// Lookups by name are exact (case counts); callers that want case-insensitive
// matching compare names themselves.
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class XmlNode {
public:
    using AttributeList = std::vector<std::pair<std::wstring, std::wstring>>;

    explicit XmlNode(std::wstring name);
    // Destroys the subtree depth-first, children before their parent, without
    // recursion, so a deeply nested document cannot exhaust the stack.
    ~XmlNode();
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    std::wstring Name() const { return name_; }
    // The child pointers in document order; the tree keeps owning the nodes.
    std::vector<XmlNode*> Children() const;
    // First child whose name equals `name` exactly, or null.
    XmlNode* ChildByName(const std::wstring& name) const;
    // Value of the attribute named exactly `name`, or empty when absent.
    std::wstring Attribute(const std::wstring& name) const;
    const AttributeList& Attributes() const { return attributes_; }

    // Adds a pair; a name already present gets its value replaced in place.
    void AddAttribute(const std::wstring& name, const std::wstring& value);
    XmlNode* AppendChild(std::unique_ptr<XmlNode> child);

private:
    std::wstring name_;
    AttributeList attributes_;
    std::vector<std::unique_ptr<XmlNode>> children_;
};

class XmlDocument {
public:
    XmlDocument() = default;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Reads and parses the file. On success the new tree replaces the old one;
    // on failure (missing file, read error, not well-formed) the old tree stays.
    bool LoadFile(const std::wstring& path);
    // The same from bytes already in memory (encoding detected from a byte
    // order mark, UTF-8 otherwise).
    bool LoadBuffer(const void* data, size_t size);
    // Null until a load succeeds.
    XmlNode* Root() const { return root_.get(); }

private:
    std::unique_ptr<XmlNode> root_;
};
