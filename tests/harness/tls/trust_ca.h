#pragma once
// Trusting the test CA inside a Wine test prefix. WinHTTP reads the machine
// Root store when it first builds a chain, so do this before the first HTTPS
// exchange of the process (e.g. in SetUpTestSuite).
#include <string>

namespace zeltest {

// Adds the certificate in `path` (DER, or PEM with its BEGIN line) to the
// local machine's "ROOT" store. On failure returns false and says why in *error.
bool AddRootCertificate(const std::wstring& path, std::string* error);

// Adds the CA that the test server names in ZEL_TEST_CA.
bool TrustTestCa(std::string* error);

}  // namespace zeltest
