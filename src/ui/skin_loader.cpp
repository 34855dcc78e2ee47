#include "ui/skin_loader.h"

#include <windows.h>

#include <iterator>

#include "toolkit/skin_archive.h"
#include "ui/text_table.h"

void LoadSkinAndLocale(const std::wstring& language) {
    zelui::SkinArchive& archive = zelui::SkinArchive::Instance();
    if (!archive.OpenResource(kSkinResourceType, kSkinResourceId)) return;

    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = ::GetModuleFileNameW(zelui::GetInstance(), path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    archive.SetResourceFolder(folder);

    LoadLocaleFile(L"locale/" + language + L".xml");
}
