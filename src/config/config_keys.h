#pragma once
// The keys of a configuration block and their type rules. Free of Windows
// headers: the maker's tool checks a block with the same rules.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/config_params.h"

// Every known key, in the order they are applied.
const std::vector<std::string>& ConfigKeyNames();

// Copies the known keys of one document into `params`, in key order. A value
// of the wrong type stops at that key: false, `error` holds the library's
// message, and the keys stored before it stay. A document that is not an
// object sets nothing.
bool ApplyConfigDocument(const nlohmann::json& document, ConfigParams& params, std::string& error);

// Applies the documents in list order (later ones overwrite earlier values);
// stops at the first failing document, skipping the rest.
bool ApplyConfigDocuments(const std::vector<nlohmann::json>& documents, ConfigParams& params, std::string& error);
