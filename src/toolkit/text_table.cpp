#include "toolkit/text_table.h"

namespace zelui {

TextTable& TextTable::Instance() {
    static TextTable* table = new TextTable();
    return *table;
}

void TextTable::Set(const std::wstring& id, const std::wstring& text) {
    std::lock_guard<std::mutex> hold(lock_);
    texts_[id] = text;
}

std::wstring TextTable::Lookup(const std::wstring& id) const {
    QueryCallback query;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = texts_.find(id);
        if (it != texts_.end()) return it->second;
        query = query_;
    }
    std::wstring text;
    if (query && query(id, text)) return text;
    return id;
}

void TextTable::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    texts_.clear();
}

void TextTable::SetQueryCallback(QueryCallback callback) {
    std::lock_guard<std::mutex> hold(lock_);
    query_ = std::move(callback);
}

}  // namespace zelui
