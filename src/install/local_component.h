#pragma once
#include "install/component_item.h"

// Fills `info` when component `id` is installed here: its registry key has an
// "InstallPath" holding every marker file of the id and a "Version". Leaves
// `info` unchanged otherwise. Always returns 0.
int ReadLocalComponentInfo(int id, LocalComponentInfo& info);
