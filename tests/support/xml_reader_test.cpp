#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/test_support.h"
#include "support/xml_reader.h"

using namespace zeltest;

namespace {

std::vector<std::wstring> ChildNames(const XmlNode* node) {
    std::vector<std::wstring> names;
    for (const XmlNode* c : node->Children()) names.push_back(c->Name());
    return names;
}

bool Load(XmlDocument& doc, const std::string& text) { return doc.LoadBuffer(text.data(), text.size()); }

// UTF-16LE with a byte order mark, from ASCII-only source plus explicit code points.
std::string Utf16LeWithBom(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

}  // namespace

TEST(XmlReaderTest, KeepsOnlyElementsInDocumentOrder) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc,
                     "<?xml version=\"1.0\"?>\n<!-- head -->\n<?pi data?>\n"
                     "<root a=\"1\">text<!-- c --><first x=\"&amp;&lt;&#65;\"><inner/></first>"
                     "tail<second/><?skip?><first y=\"2\"/></root>"));
    XmlNode* root = doc.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), L"root");
    EXPECT_EQ(root->Attribute(L"a"), L"1");
    EXPECT_EQ(ChildNames(root), (std::vector<std::wstring>{L"first", L"second", L"first"}));
    XmlNode* first = root->ChildByName(L"first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Attribute(L"x"), L"&<A");  // references expanded
    EXPECT_EQ(ChildNames(first), std::vector<std::wstring>{L"inner"});
    EXPECT_TRUE(first->Children()[0]->Children().empty());
}

TEST(XmlReaderTest, LookupsAreExactAndMissingAttributeIsEmpty) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, "<Root Version=\"2\"><Item/></Root>"));
    XmlNode* root = doc.Root();
    EXPECT_NE(root->ChildByName(L"Item"), nullptr);
    EXPECT_EQ(root->ChildByName(L"item"), nullptr);
    EXPECT_EQ(root->ChildByName(L"ITEM"), nullptr);
    EXPECT_EQ(root->Attribute(L"Version"), L"2");
    EXPECT_EQ(root->Attribute(L"version"), L"");
    EXPECT_EQ(root->Attribute(L"absent"), L"");
}

TEST(XmlReaderTest, RootWithoutChildrenHasEmptyList) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, "<only/>"));
    EXPECT_EQ(doc.Root()->Name(), L"only");
    EXPECT_TRUE(doc.Root()->Children().empty());
}

TEST(XmlReaderTest, RepeatedAttributeNameReplacesValueInPlace) {
    XmlNode node(L"n");
    node.AddAttribute(L"a", L"1");
    node.AddAttribute(L"b", L"2");
    node.AddAttribute(L"a", L"3");
    EXPECT_EQ(node.Attributes(), (XmlNode::AttributeList{{L"a", L"3"}, {L"b", L"2"}}));
}

TEST(XmlReaderTest, Utf16WithBomLoadsLikeUtf8) {
    // "<c n=\"Ω中\"><d/></c>" in both encodings.
    const std::string utf8 = "<c n=\"\xCE\xA9\xE4\xB8\xAD\"><d/></c>";
    const std::wstring wide = L"<c n=\"\x03A9\x4E2D\"><d/></c>";
    XmlDocument a, b;
    ASSERT_TRUE(Load(a, utf8));
    ASSERT_TRUE(Load(b, Utf16LeWithBom(wide)));
    EXPECT_EQ(a.Root()->Attribute(L"n"), L"\x03A9\x4E2D");
    EXPECT_EQ(b.Root()->Attribute(L"n"), a.Root()->Attribute(L"n"));
    EXPECT_EQ(ChildNames(b.Root()), ChildNames(a.Root()));
}

TEST(XmlReaderTest, FailuresKeepThePreviousTree) {
    TempDir dir;
    const std::wstring good = dir / L"good.xml", empty = dir / L"empty.xml", broken = dir / L"broken.xml",
                       commentOnly = dir / L"comment.xml";
    ASSERT_TRUE(WriteFileBytes(good, "<keep><child/></keep>"));
    ASSERT_TRUE(WriteFileBytes(empty, ""));
    ASSERT_TRUE(WriteFileBytes(broken, "<a><b></a>"));
    ASSERT_TRUE(WriteFileBytes(commentOnly, "<!-- nothing -->"));

    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFile(empty));
    EXPECT_EQ(doc.Root(), nullptr);
    ASSERT_TRUE(doc.LoadFile(good));
    for (const std::wstring& bad : {empty, broken, commentOnly, dir / L"missing.xml"}) {
        EXPECT_FALSE(doc.LoadFile(bad)) << bad.c_str();
        ASSERT_NE(doc.Root(), nullptr);
        EXPECT_EQ(doc.Root()->Name(), L"keep");
    }
}

TEST(XmlReaderTest, ReloadReplacesTree) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, "<one/>"));
    ASSERT_TRUE(Load(doc, "<two><x/></two>"));
    EXPECT_EQ(doc.Root()->Name(), L"two");
    EXPECT_EQ(doc.Root()->Children().size(), 1u);
}

TEST(XmlReaderTest, DeepNestingNeitherOverflowsOnLoadNorOnDestruction) {
    // A hostile manifest could nest far beyond what recursion on a 1 MiB
    // stack survives.
    const int depth = 200000;
    std::string text;
    text.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) text += "<e>";
    for (int i = 0; i < depth; ++i) text += "</e>";
    {
        XmlDocument doc;
        ASSERT_TRUE(Load(doc, text));
        const XmlNode* node = doc.Root();
        int seen = 1;
        while (!node->Children().empty()) {
            node = node->Children()[0];
            ++seen;
        }
        EXPECT_EQ(seen, depth);
    }
}
