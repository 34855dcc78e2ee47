#include "shell/startup_tables.h"

const std::wstring ReportLibraryVersion = L"6.4.1782.202";

const std::map<int, std::vector<std::wstring>> ComponentFileTable = {
    {1, {L"devbridge.exe", L"EngineFront.exe"}},
    {2, {L"VmRunner.exe", L"VmService.exe"}},
    {3, {L"disk_data.img", L"disk_card.img", L"disk_system.img"}},
    {7, {L"Storefront.exe", L"ShopView.dll"}},
    {8, {L"disk_data.img", L"disk_card.img", L"disk_system.img"}},
    {10, {L"rootmark"}},
};

const std::map<int, std::wstring> InstallErrorTextIds = {
    {0, L"success"},
    {1, L"error_common"},
    {2, L"error_http_download"},
    {3, L"error_xml_parse"},
    {4, L"error_http_download"},
    {5, L"error_http_download"},
    {6, L"error_http_download"},
    {7, L"error_http_download"},
    {8, L"error_http_download"},
    {9, L"error_http_download"},
    {10, L"error_http_download"},
    {11, L"error_http_download"},
    {12, L"error_http_download"},
    {13, L"error_http_download"},
    {14, L"error_file_readwrite"},
    {15, L"error_invalid_package"},
    {16, L"error_install_failed"},
    {17, L"error_reg_access"},
    {18, L"error_file_readwrite"},
    {19, L"error_file_readwrite"},
    {20, L"error_http_download"},
    {21, L"error_http_download"},
};
