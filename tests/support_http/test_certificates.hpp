#pragma once
// Certificates made at test time with OpenSSL: a test CA with a server certificate for
// 127.0.0.1 and localhost, a second CA nobody trusts with the same kind of certificate, and a
// certificate from the trusted CA for another host name.

#include <filesystem>

#include "http_test_server.hpp"

namespace test_http {

struct TestCertificates {
    std::filesystem::path ca_file;  // PEM of the trusted test CA
    TlsFiles server;                // signed by it, for 127.0.0.1 and localhost
    TlsFiles untrusted_server;      // signed by another CA, same names
    TlsFiles wrong_host_server;     // signed by the trusted CA, for elsewhere.invalid only
};

// Writes all files into `folder`; throws when OpenSSL fails.
[[nodiscard]] TestCertificates make_test_certificates(const std::filesystem::path& folder);

}  // namespace test_http
