#pragma once
#include <windows.h>

#include <string>

// Writes resource `resourceId` of type "CUSTOM" from `module` to `path`,
// replacing the file. False when the resource is missing or empty or the file
// cannot be written in full.
bool ReleaseResourceToFile(HMODULE module, int resourceId, const std::wstring& path);

// Deletes every file below `folder` and removes the emptied folders, the folder
// itself included. True when every file could be deleted; a file that cannot
// be deleted (a read-only one, say) is kept and the rest still goes.
bool DeleteFolderTree(const std::wstring& folder);
