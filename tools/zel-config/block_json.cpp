#include "block_json.h"

#include <algorithm>

#include "config/config_keys.h"
#include "config/inject_block.h"

namespace {

bool IsKnownKey(const std::string& key) {
    const auto& known = ConfigKeyNames();
    return std::find(known.begin(), known.end(), key) != known.end();
}

}  // namespace

std::vector<std::string> RejectedKeys(const nlohmann::json& document) {
    std::vector<std::string> rejected;
    if (!document.is_object()) return rejected;
    // Checked one key at a time, in the order the installer applies them.
    for (const std::string& key : ConfigKeyNames()) {
        auto it = document.find(key);
        if (it == document.end()) continue;
        ConfigParams scratch;
        std::string error;
        if (!ApplyConfigDocument(nlohmann::json{{key, *it}}, scratch, error)) rejected.push_back(key + ": " + error);
    }
    return rejected;
}

bool PrepareBlockJson(const std::string& fileText, std::string& jsonText, std::vector<std::string>& warnings,
                      std::string& error) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(fileText);
    } catch (const std::exception& e) {
        error = std::string("JSON does not parse: ") + e.what();
        return false;
    }
    if (!document.is_object()) {
        error = std::string("JSON is not an object but ") + document.type_name();
        return false;
    }
    std::vector<std::string> rejected = RejectedKeys(document);
    if (!rejected.empty()) {
        error = "key " + rejected.front() + " (the installer would stop applying values there)";
        return false;
    }
    for (const auto& item : document.items())
        if (!IsKnownKey(item.key())) warnings.push_back("unknown key \"" + item.key() + "\" is ignored by the installer");

    std::string text = document.dump(-1, ' ', false);
    size_t dataSize = PadInjectData(text).size();
    if (dataSize > kMaxDataPart) {
        error = "data part of " + std::to_string(dataSize) + " bytes is over the limit of " +
                std::to_string(kMaxDataPart) + " bytes";
        return false;
    }
    jsonText = std::move(text);
    return true;
}
