#pragma once
// Checks a maker's JSON against the rules the installer applies.
#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Largest data part (JSON text plus padding) the tool writes.
constexpr size_t kMaxDataPart = 1024 * 1024;

// Parses `fileText` and checks it: one JSON object, known keys with values of
// an accepted type, a data part within kMaxDataPart. On success `jsonText` is
// the compact text to embed; unknown keys are accepted and listed in `warnings`.
bool PrepareBlockJson(const std::string& fileText, std::string& jsonText, std::vector<std::string>& warnings,
                      std::string& error);

// Keys of a found document whose values the installer would refuse ("key: reason");
// the first of them is where it stops applying.
std::vector<std::string> RejectedKeys(const nlohmann::json& document);
