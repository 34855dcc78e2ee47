#pragma once
// Opening the skin package and the texts of a language, before the first
// window exists.
#include <string>

// Opens the skin package (resource "ZIPRES" 133 of the program's module) once
// per process, sets the toolkit's resource folder to the program's folder and
// loads "locale/<language>.xml" with `language` used exactly as given. Without
// the resource nothing is opened and the text table stays empty.
// Also chooses the face of the windows' fonts for that language (see
// TextFaceForLanguage); call it before creating windows.
void LoadSkinAndLocale(const std::wstring& language);

// The face every font uses for `language`, or empty for the layouts' own faces.
std::wstring TextFaceForLanguage(const std::wstring& language);

// Resource holding the skin package.
inline constexpr const wchar_t* kSkinResourceType = L"ZIPRES";
inline constexpr unsigned kSkinResourceId = 133;
