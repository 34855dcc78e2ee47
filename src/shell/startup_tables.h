#pragma once
#include <map>
#include <string>
#include <vector>

// Lowest acceptable file version of the report library on disk.
extern const std::wstring ReportLibraryVersion;

// Marker files that must all exist in a component's install folder for the
// component to count as present, by component id.
extern const std::map<int, std::vector<std::wstring>> ComponentFileTable;

// Text identifier shown on the error page for each install error code 0..21.
extern const std::map<int, std::wstring> InstallErrorTextIds;
