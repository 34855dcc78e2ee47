#pragma once
// Reading the component manifest: attribute conversions, one "Item" element,
// and which "ChannelComponents" sets apply to a channel.
#include <cstdint>
#include <string>
#include <utility>

#include "install/component_item.h"

class XmlNode;

// Decimal text to an unsigned 64-bit number the way the standard conversion
// reads it: leading blanks and a sign accepted, text after the digits ignored.
// Throws std::invalid_argument("invalid stoull argument") when there are no
// digits and std::out_of_range("stoull argument out of range") beyond 64 bits.
uint64_t ManifestNumber(const std::wstring& text);

// Element names of the manifest compare without regard to case.
bool ManifestNameIs(const std::wstring& name, const wchar_t* expected);

// An "Item" element as (map key, record). Throws as ManifestNumber does.
std::pair<int32_t, ComponentItem> ParseComponentItem(const XmlNode& item);

// How many times a "ChannelRange" text selects `channel`: once per range
// "lo-hi" that holds it, once per remaining number equal to it. Throws as
// ManifestNumber does.
int ChannelRangeMatchCount(const std::wstring& range, uint64_t channel);
