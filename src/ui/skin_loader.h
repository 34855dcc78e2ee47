#pragma once
// Opening the skin package and the texts of a language, before the first
// window exists.
#include <string>

// Opens the skin package (resource "ZIPRES" 133 of the program's module) once
// per process, sets the toolkit's resource folder to the program's folder and
// loads "locale/<language>.xml" with `language` used exactly as given. Without
// the resource nothing is opened and the text table stays empty.
void LoadSkinAndLocale(const std::wstring& language);

// Resource holding the skin package.
inline constexpr const wchar_t* kSkinResourceType = L"ZIPRES";
inline constexpr unsigned kSkinResourceId = 133;
