#include "harness/tls/trust_ca.h"

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace zeltest {
namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + " (error " + std::to_string(::GetLastError()) + ")";
    return false;
}

bool ToDer(const std::string& file, std::vector<BYTE>* der) {
    if (file.find("-----BEGIN") == std::string::npos) {
        der->assign(file.begin(), file.end());
        return !der->empty();
    }
    DWORD size = 0;
    if (!::CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER,
                                nullptr, &size, nullptr, nullptr))
        return false;
    der->resize(size);
    return ::CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER,
                                  der->data(), &size, nullptr, nullptr) != FALSE;
}

}  // namespace

bool AddRootCertificate(const std::wstring& path, std::string* error) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return Fail(error, "cannot read the certificate file");
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<BYTE> der;
    if (!ToDer(file, &der)) return Fail(error, "not a DER or PEM certificate");
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                       CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!store) return Fail(error, "CertOpenStore(LocalMachine\\ROOT) failed");
    BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                    static_cast<DWORD>(der.size()),
                                                    CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    DWORD code = ::GetLastError();
    ::CertCloseStore(store, 0);
    ::SetLastError(code);
    return added ? true : Fail(error, "CertAddEncodedCertificateToStore failed");
}

bool TrustTestCa(std::string* error) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"ZEL_TEST_CA", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        if (error) *error = "ZEL_TEST_CA is not set (is the test server running?)";
        return false;
    }
    return AddRootCertificate(path, error);
}

}  // namespace zeltest
