#pragma once
// Parsing of the layout language's attribute values. Plain functions, no
// window needed.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/ascii_case.h"

namespace zelui {

// "true" in any case is true; anything else (including "1" and "") is false.
bool ParseBool(const std::wstring& value);

// "#AARRGGBB" or "0xAARRGGBB"; six digits mean an opaque colour. Returns false
// (leaving `argb` alone) on anything else.
bool ParseColor(const std::wstring& value, uint32_t& argb);

// Up to `count` comma-separated integers ("0,11,16,0", "-10", "12px").
// Returns false when fewer than `count` numbers can be read; `out` is then
// left untouched.
bool ParseInts(const std::wstring& value, int* out, int count);

// An image attribute: either a plain entry path (drawn over the whole control)
// or "file='path' dest='l,t,r,b'" (drawn into that rectangle of the control).
struct ImageRef {
    std::wstring file;
    bool hasDest = false;
    RECT dest{0, 0, 0, 0};
};
ImageRef ParseImage(const std::wstring& value);

// An attribute string: name="value" pairs (single or double quotes), in order.
std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeString(const std::wstring& text);

}  // namespace zelui
