#pragma once
// The installer's texts: locale files of the skin package loaded into the
// process-wide text table, and lookup by text identifier.
#include <string>

// Fills the text table from one locale file. `source` is an entry of the skin
// package (or, with no package open, a file below the toolkit's resource
// folder), or the XML itself when it starts with '<'. Each child "Text"
// element of the root with both "id" and "value" stores value under id, a
// later one replacing an earlier one; names are matched without regard to
// case. Returns true when the XML was read and has a root element.
bool LoadLocaleFile(const std::wstring& source);

// The text of `id` in the loaded language, or `id` itself when there is none.
// A null identifier gives the empty text.
std::wstring LookupText(const wchar_t* id);
std::wstring LookupText(const std::wstring& id);
