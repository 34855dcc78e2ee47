#include "ui/skin_loader.h"

#include <windows.h>

#include <iterator>

#include "toolkit/font_face.h"
#include "toolkit/skin_archive.h"
#include "ui/text_table.h"

std::wstring TextFaceForLanguage(const std::wstring& language) {
    if (::lstrcmpiW(language.c_str(), L"th") != 0) return {};
    // Thai needs a face with Thai glyphs: the system's Thai UI face where there
    // is one (Windows 8 and later), else Tahoma, which has them on every Windows.
    for (const wchar_t* face : {L"Leelawadee UI", L"Leelawadee"})
        if (zelui::IsFontFamilyInstalled(face)) return face;
    return L"Tahoma";
}

void LoadSkinAndLocale(const std::wstring& language) {
    zelui::SetFontFaceOverride(TextFaceForLanguage(language));
    zelui::SkinArchive& archive = zelui::SkinArchive::Instance();
    if (!archive.OpenResource(kSkinResourceType, kSkinResourceId)) return;

    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = ::GetModuleFileNameW(zelui::GetInstance(), path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    archive.SetResourceFolder(folder);

    LoadLocaleFile(L"locale/" + language + L".xml");
}
