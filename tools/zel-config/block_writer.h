#pragma once
// Adds a configuration block to an installer image held in memory.
#include <string>

enum class BlockPlacement {
    CertificateTable,  // inside a trailing Authenticode table, which grows to cover it
    PlainAppend,       // unsigned image: appended at the end
};

// On failure `image` is unchanged and `error` says why in one line.
bool AddConfigBlock(std::string& image, const std::string& jsonText, BlockPlacement& placement, std::string& error);
