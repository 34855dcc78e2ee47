// add_root_ca.exe CERT_FILE: trusts a CA (DER or PEM) in the current Wine
// prefix's machine Root store. Exit code 0 on success.
#include <cstdio>
#include <string>

#include "harness/tls/trust_ca.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: add_root_ca CERT_FILE\n");
        return 2;
    }
    std::string error;
    if (!zeltest::AddRootCertificate(argv[1], &error)) {
        std::fprintf(stderr, "add_root_ca: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
