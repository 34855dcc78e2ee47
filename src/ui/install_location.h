#pragma once
// Choosing and checking the install location on the install options page.
#include <string>

// Most characters an install path may hold (a Windows path buffer less its
// terminating zero).
inline constexpr size_t kMaxInstallPathChars = 260;

// The install location for a folder the user picked: the folder itself when
// its name already mentions the product (any letter case), otherwise the
// product folder "Lumenhall\" inside it. Empty when the result would no
// longer fit kMaxInstallPathChars.
std::wstring InstallPathForPickedFolder(const std::wstring& picked);

// True when the ANSI code page writes some character of `path` as a
// double-byte character (the installer tool cannot handle such paths).
bool HasDoubleByteCharacters(const std::wstring& path);

// Tells the user why a location was refused: a one-button message with the
// text of `textId` ("error_invalid_path", "error_invalid_character").
void ShowInstallPathError(const wchar_t* textId);

// Creates the folder (with its parents) when missing and refuses a location
// that cannot be created or has double-byte characters, telling the user in a
// message box. True when the location may be used.
bool ValidateInstallPath(const std::wstring& path);
