#include "config/config_keys.h"

#include <cstdint>

namespace {

struct KeyRule {
    const char* name;
    void (*apply)(const nlohmann::json& value, ConfigParams& params);
};

// The library's conversions give the type rules: 64-bit unsigned takes only
// numbers, the narrower integers also take booleans, bool takes only
// booleans, strings only strings; anything else throws its type error.
const KeyRule kKeyRules[] = {
    {"buildid", [](const nlohmann::json& v, ConfigParams& p) { p.buildid = v.get<uint64_t>(); }},
    {"supplyid", [](const nlohmann::json& v, ConfigParams& p) { p.supplyid = v.get<uint32_t>(); }},
    {"international", [](const nlohmann::json& v, ConfigParams& p) { p.international = v.get<int>(); }},
    {"pkgName", [](const nlohmann::json& v, ConfigParams& p) { p.pkgName = v.get<std::string>(); }},
    {"area", [](const nlohmann::json& v, ConfigParams& p) { p.area = v.get<std::string>(); }},
    {"silentMode", [](const nlohmann::json& v, ConfigParams& p) { p.silentMode = v.get<int>(); }},
    {"marketExternParams", [](const nlohmann::json& v, ConfigParams& p) { p.marketExternParams = v.get<std::string>(); }},
    {"sourceid", [](const nlohmann::json& v, ConfigParams& p) { p.sourceid = v.get<std::string>(); }},
    {"bkgPngNumber", [](const nlohmann::json& v, ConfigParams& p) { p.bkgPngNumber = v.get<int>(); }},
    {"createMarketIcon", [](const nlohmann::json& v, ConfigParams& p) { p.createMarketIcon = v.get<bool>(); }},
    {"installMarket", [](const nlohmann::json& v, ConfigParams& p) { p.installMarket = v.get<bool>(); }},
    {"installUI", [](const nlohmann::json& v, ConfigParams& p) { p.installUI = v.get<bool>(); }},
    {"installRootfs", [](const nlohmann::json& v, ConfigParams& p) { p.installRootfs = v.get<bool>(); }},
    {"installVDI", [](const nlohmann::json& v, ConfigParams& p) { p.installVDI = v.get<bool>(); }},
    {"installVDI71", [](const nlohmann::json& v, ConfigParams& p) { p.installVDI71 = v.get<bool>(); }},
    {"installKiln", [](const nlohmann::json& v, ConfigParams& p) { p.installKiln = v.get<bool>(); }},
    {"gameName", [](const nlohmann::json& v, ConfigParams& p) { p.gameName = v.get<std::string>(); }},
    {"title", [](const nlohmann::json& v, ConfigParams& p) { p.title = v.get<std::string>(); }},
};

}  // namespace

const std::vector<std::string>& ConfigKeyNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const KeyRule& rule : kKeyRules) out.emplace_back(rule.name);
        return out;
    }();
    return names;
}

bool ApplyConfigDocument(const nlohmann::json& document, ConfigParams& params, std::string& error) {
    if (!document.is_object()) return true;
    for (const KeyRule& rule : kKeyRules) {
        auto it = document.find(rule.name);
        if (it == document.end()) continue;
        try {
            rule.apply(*it, params);
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
    }
    return true;
}

bool ApplyConfigDocuments(const std::vector<nlohmann::json>& documents, ConfigParams& params, std::string& error) {
    for (const nlohmann::json& document : documents)
        if (!ApplyConfigDocument(document, params, error)) return false;
    return true;
}
