// Manifest download and parse, and the choice of what to install.
#include <windows.h>

#include <stdexcept>

#include "install/component_manifest.h"
#include "install/component_table.h"
#include "install/file_steps.h"
#include "install/install_engine.h"
#include "net/http_client.h"
#include "support/handle_guard.h"
#include "support/log.h"
#include "support/text_convert.h"
#include "support/xml_reader.h"

ZEL_LOG_SOURCE("component");

namespace {
// The manifest is stored as a text-mode file would hold it: each line feed as
// carriage return and line feed.
void WriteTextFile(const std::wstring& path, const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    HandleGuard file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;  // the parse reports the missing manifest
    DWORD written = 0;
    ::WriteFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}
}  // namespace

std::wstring CInstallEngine::DownloadComponentXml() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"ZELDownload\\";
    EnsureDirectory(folder);

    wchar_t file[MAX_PATH + 1] = {};
    if (::GetTempFileNameW(folder.c_str(), L"", 0, file) == 0) {
        LOG_ERROR("ComponentXml") << L"get temp file failed. Error code: " << ::GetLastError();
        SetError(kInstallErrorTempFile);
        return std::wstring();
    }

    HttpResult result;
    bool good = false;
    for (const std::string* address : {&settings_.manifestPrimary, &settings_.manifestFallback}) {
        result = HttpGet(*address, L"utf-8", &httpCancel_);
        ThrowIfCancelled();
        good = IsGoodResult(result);
        if (good) break;
        LOG_ERROR("ComponentXml") << L"download component file use " << Utf8ToWide(*address)
                                  << L" failed. http code: " << result.status << L" error code: " << result.error;
    }
    if (!good) {
        ::DeleteFileW(file);
        SetError(kInstallErrorManifestDownload);
        return std::wstring();
    }
    WriteTextFile(file, result.body);
    LOG_INFO("ComponentXml") << L"download component xml success. file path: " << file;
    return file;
}

bool CInstallEngine::ParseComponentXml(const std::wstring& path) {
    if (path.empty()) {
        LOG_ERROR("Component") << L"xml path is null!";
        SetError(kInstallErrorCommon);
        return false;
    }
    XmlDocument document;
    if (!document.LoadFile(path)) {
        LOG_ERROR("Component") << L"load component xml failed.";
        SetError(kInstallErrorManifestParse);
        return false;
    }
    for (const XmlNode* child : document.Root()->Children()) {
        if (ManifestNameIs(child->Name(), L"Item")) {
            manifestComponents.insert(ParseComponentItem(*child));
        } else if (ManifestNameIs(child->Name(), L"other")) {
            if (const XmlNode* config = child->ChildByName(L"OtherConfig")) ParseChannelComponent(*config);
        }
    }
    return true;
}

bool CInstallEngine::ParseChannelComponent(const XmlNode& node) {
    const uint64_t channel = settings_.supplyid;
    for (const XmlNode* set : node.Children()) {
        if (!ManifestNameIs(set->Name(), L"ChannelComponents")) continue;
        const int matches = ChannelRangeMatchCount(set->Attribute(L"ChannelRange"), channel);
        for (int i = 0; i < matches; ++i) {
            ComponentItemMap items;
            const std::vector<XmlNode*> children = set->Children();
            for (const XmlNode* item : children) {
                if (ManifestNameIs(item->Name(), L"Item")) items.insert(ParseComponentItem(*item));
            }
            channelComponents.swap(items);
            LOG_INFO("Component") << L"get " << static_cast<unsigned long long>(children.size())
                                  << L" components by channel[" << channel << L"]";
        }
    }
    return true;
}

void CInstallEngine::GetNeedInstallComponentItems() {
    installList.clear();
    for (const ComponentKind& kind : kComponentOrder) {
        if (!(settings_.*kind.switchedOn)) continue;
        const auto channel = channelComponents.find(kind.id);
        // A component missing from both maps enters as an empty record.
        const ComponentItem& item =
            channel != channelComponents.end() ? channel->second : manifestComponents[kind.id];
        installList.push_back(item);
        LOG_INFO("Component") << L"need install component id[" << kind.id << L"]";
    }
}
