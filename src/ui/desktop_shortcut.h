#pragma once
// Desktop shortcuts for the game and the market application, and the game icon
// they show.
#include <cstdint>
#include <string>

// Writes the program's game icon (resource CUSTOM 134) to
// "<folder>\Icons\<package>\Game.Ico" and returns that path; empty when the
// folder cannot be made or the file cannot be written.
std::wstring PrepareGameIcon(const std::wstring& folder, const std::wstring& package);

// A desktop shortcut "<name>.lnk" that opens the game through the installed
// market application. Returns 0 on success.
int32_t CreateGameShortcut(const std::wstring& package, const std::wstring& name, const std::wstring& extra,
                           const std::wstring& iconPath);

// A desktop shortcut to the market application itself, named after the suite.
int32_t CreateMarketShortcut(const std::wstring& marketExe, bool international);

// Replaces "<desktop>\<fileName>" with a shell link to `target`. `arguments`
// and `iconPath` may be null. Returns 0 on success, 1 without a desktop folder,
// otherwise the failing COM status.
int32_t CreateDesktopShortcut(const std::wstring& target, const std::wstring& fileName, const std::wstring* arguments,
                              const std::wstring& description, const std::wstring* iconPath);
