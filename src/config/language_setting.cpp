// The user-interface language: stored choice, detection, and the build's rules.
#include <windows.h>

#include "config/global_config.h"
#include "config/quillbox_key.h"
#include "support/ascii_case.h"
#include "support/log.h"
#include "support/reg_key.h"
#include "support/text_convert.h"

ZEL_LOG_SOURCE("GlobalConfig");

const wchar_t* const SupportedLanguages[10] = {L"en", L"zh_CN", L"pt", L"ru", L"tr",
                                               L"vi", L"id",    L"ko", L"th", L"zh_TW"};

namespace {


std::wstring UserLocaleInfo(LCTYPE type) {
    wchar_t text[16] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16) <= 0) return std::wstring();
    return text;
}

}  // namespace

bool IsSupportedLanguage(const std::wstring& code) {
    for (const wchar_t* supported : SupportedLanguages)
        if (EqualNoCase(code, supported)) return true;
    return false;
}

std::wstring GlobalConfig::DetectLanguage() {
    std::wstring stored;
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kQuillboxKey, KEY_READ) == ERROR_SUCCESS)
        key.QueryString(L"UserLanguage", stored);
    if (!stored.empty() && IsSupportedLanguage(stored)) return stored;

    if (::GetUserDefaultUILanguage() == 0x0804) return L"zh_CN";

    std::wstring language = UserLocaleInfo(LOCALE_SISO639LANGNAME);
    std::wstring withCountry = language + L"_" + UserLocaleInfo(LOCALE_SISO3166CTRYNAME);
    if (IsSupportedLanguage(withCountry)) return withCountry;
    if (!language.empty() && IsSupportedLanguage(language)) return language;
    return L"zh_CN";
}

void GlobalConfig::InitLanguageSetting() {
    std::wstring stored;
    {
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kQuillboxKey) == ERROR_SUCCESS) key.QueryString(L"UserLanguage", stored);
    }
    if (!stored.empty()) {
        // A recorded choice wins as it stands, even a code without texts.
        language = stored;
    } else {
        language = DetectLanguage();
        if (EqualNoCase(Utf8ToWide(params.pkgName), L"com.vuz.pubgmobile")) {
            language = L"vi";
            RegKey machine;
            if (machine.Open(HKEY_LOCAL_MACHINE, kQuillboxKey) == ERROR_SUCCESS) machine.SetDword(L"VUZVersion", 1);
        }
        if (params.international != 0) {
            if (EqualNoCase(language, L"zh_CN") || EqualNoCase(language, L"zh")) language = L"en";
        } else {
            language = L"zh_CN";
        }
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kQuillboxKey) == ERROR_SUCCESS ||
            key.Create(HKEY_CURRENT_USER, kQuillboxKey) == ERROR_SUCCESS)
            key.SetString(L"UserLanguage", language);
    }
    LOG_INFO("GConfig") << L"current language: " << language;
}
