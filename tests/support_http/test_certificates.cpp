// Test PKI with OpenSSL's API: P-256 keys, SHA-256 signatures, one day of validity.
#include "test_certificates.hpp"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace test_http {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("OpenSSL failed: ") + what);
    }
}

Key new_key() {
    Key key(EVP_EC_gen("P-256"));
    check(key != nullptr, "key generation");
    return key;
}

void add_extension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    check(extension != nullptr, "extension");
    const bool added = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    check(added, "adding an extension");
}

// A certificate for `key` named `common_name`; self-signed when `issuer` is null.
Cert new_certificate(EVP_PKEY* key, const char* common_name, long serial, X509* issuer, EVP_PKEY* issuer_key,
                     const char* alt_names) {
    Cert cert(X509_new());
    check(cert != nullptr, "X509_new");
    check(X509_set_version(cert.get(), 2) == 1, "version");
    check(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial) == 1, "serial");
    check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr, "not before");
    check(X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400) != nullptr, "not after");
    check(X509_set_pubkey(cert.get(), key) == 1, "public key");
    X509_NAME* name = X509_get_subject_name(cert.get());
    check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                     reinterpret_cast<const unsigned char*>(common_name), -1, -1, 0) == 1,
          "subject");
    X509* signer = issuer != nullptr ? issuer : cert.get();
    check(X509_set_issuer_name(cert.get(), X509_get_subject_name(signer)) == 1, "issuer");
    if (issuer == nullptr) {
        add_extension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        add_extension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        add_extension(cert.get(), signer, NID_subject_key_identifier, "hash");
    } else {
        add_extension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        add_extension(cert.get(), signer, NID_key_usage, "critical,digitalSignature");
        add_extension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        add_extension(cert.get(), signer, NID_subject_alt_name, alt_names);
        add_extension(cert.get(), signer, NID_authority_key_identifier, "keyid");
    }
    check(X509_sign(cert.get(), issuer_key != nullptr ? issuer_key : key, EVP_sha256()) > 0, "signing");
    return cert;
}

void write_certificate(const std::filesystem::path& path, X509* cert) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "opening a certificate file");
    const bool ok = PEM_write_X509(file, cert) == 1;
    std::fclose(file);
    check(ok, "writing a certificate");
}

void write_key(const std::filesystem::path& path, EVP_PKEY* key) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    check(file != nullptr, "opening a key file");
    const bool ok = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(file);
    check(ok, "writing a key");
}

TlsFiles issue(const std::filesystem::path& folder, const std::string& stem, X509* ca, EVP_PKEY* ca_key,
               long serial, const char* alt_names) {
    Key key = new_key();
    Cert cert = new_certificate(key.get(), stem.c_str(), serial, ca, ca_key, alt_names);
    TlsFiles files{folder / (stem + ".crt"), folder / (stem + ".key")};
    write_certificate(files.certificate, cert.get());
    write_key(files.private_key, key.get());
    return files;
}

}  // namespace

TestCertificates make_test_certificates(const std::filesystem::path& folder) {
    TestCertificates out;
    Key ca_key = new_key();
    Cert ca = new_certificate(ca_key.get(), "Gaugelet Test CA", 1, nullptr, nullptr, nullptr);
    out.ca_file = folder / "test-ca.crt";
    write_certificate(out.ca_file, ca.get());

    Key other_key = new_key();
    Cert other = new_certificate(other_key.get(), "Untrusted Test CA", 2, nullptr, nullptr, nullptr);
    write_certificate(folder / "untrusted-ca.crt", other.get());

    const char* loopback = "IP:127.0.0.1,DNS:localhost";
    out.server = issue(folder, "server", ca.get(), ca_key.get(), 10, loopback);
    out.untrusted_server = issue(folder, "untrusted-server", other.get(), other_key.get(), 11, loopback);
    out.wrong_host_server =
        issue(folder, "wrong-host-server", ca.get(), ca_key.get(), 12, "DNS:elsewhere.invalid");
    return out;
}

}  // namespace test_http
