#pragma once
// Process-wide table of display texts by identifier. Controls marked as
// resource text show the table's text for their text and tooltip; the
// installer fills it once from the locale file of its language.
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace zelui {

class TextTable {
public:
    // Created on first use and never destroyed.
    static TextTable& Instance();

    // Stores `text` under `id`, replacing an earlier text.
    void Set(const std::wstring& id, const std::wstring& text);
    // The text of `id`; otherwise the query callback's answer when one is set
    // and it answers; otherwise `id` itself.
    std::wstring Lookup(const std::wstring& id) const;
    void Clear();

    // Asked for identifiers missing from the table; returns false to decline.
    using QueryCallback = std::function<bool(const std::wstring& id, std::wstring& text)>;
    void SetQueryCallback(QueryCallback callback);

private:
    TextTable() = default;
    mutable std::mutex lock_;
    std::map<std::wstring, std::wstring> texts_;
    QueryCallback query_;
};

}  // namespace zelui
