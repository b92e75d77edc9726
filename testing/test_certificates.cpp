#include "testing/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace kessrune::testing {

namespace {

struct KeyDeleter {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertDeleter {
    void operator()(X509* c) const { X509_free(c); }
};
struct ExtensionDeleter {
    void operator()(X509_EXTENSION* e) const { X509_EXTENSION_free(e); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using Cert = std::unique_ptr<X509, CertDeleter>;
using Extension = std::unique_ptr<X509_EXTENSION, ExtensionDeleter>;

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    if (!extension)
        throw std::runtime_error("bad certificate extension");
    X509_add_ext(cert, extension.get(), -1);
}

// A certificate for `key`, signed by `issuerKey` as `issuer` (itself when null).
Cert makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                     bool authority, const char* altNames, long serial) {
    Cert cert(X509_new());
    X509* c = cert.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
    X509_gmtime_adj(X509_getm_notBefore(c), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c), 30L * 24 * 3600);
    X509_set_pubkey(c, key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Kessrune tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer != nullptr ? issuer : c;
    X509_set_issuer_name(c, X509_get_subject_name(signer));
    addExtension(c, signer, NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE");
    addExtension(c, signer, NID_subject_key_identifier, "hash");
    if (authority) {
        addExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(c, signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        addExtension(c, signer, NID_ext_key_usage, "serverAuth");
        addExtension(c, signer, NID_subject_alt_name, altNames);
    }
    if (X509_sign(c, issuerKey, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign");
    return cert;
}

void writePem(const std::filesystem::path& path, X509* cert, EVP_PKEY* key) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    const bool ok = cert != nullptr ? PEM_write_X509(file.get(), cert) == 1
                                    : PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0,
                                                           nullptr, nullptr) == 1;
    if (!ok || std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

TestCertificates::TestCertificates() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kessrune-certs-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    dir_ = pattern;

    Key key(EVP_EC_gen("P-256"));
    if (!key)
        throw std::runtime_error("cannot make a key");
    Cert ca = makeCertificate(key.get(), "Kessrune test CA", nullptr, key.get(), true, nullptr, 1);
    Cert server = makeCertificate(key.get(), "127.0.0.1", ca.get(), key.get(), false,
                                  "IP:127.0.0.1,DNS:localhost", 2);
    Cert selfSigned = makeCertificate(key.get(), "127.0.0.1", nullptr, key.get(), false,
                                      "IP:127.0.0.1,DNS:localhost", 3);
    Cert otherHost = makeCertificate(key.get(), "other.example", ca.get(), key.get(), false,
                                     "DNS:other.example", 4);
    writePem(caFile(), ca.get(), nullptr);
    writePem(serverCertFile(), server.get(), nullptr);
    writePem(selfSignedCertFile(), selfSigned.get(), nullptr);
    writePem(otherHostCertFile(), otherHost.get(), nullptr);
    writePem(serverKeyFile(), nullptr, key.get());
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string TestCertificates::caFile() const {
    return (dir_ / "ca.pem").string();
}
std::string TestCertificates::serverCertFile() const {
    return (dir_ / "server.pem").string();
}
std::string TestCertificates::serverKeyFile() const {
    return (dir_ / "key.pem").string();
}
std::string TestCertificates::selfSignedCertFile() const {
    return (dir_ / "self-signed.pem").string();
}
std::string TestCertificates::otherHostCertFile() const {
    return (dir_ / "other-host.pem").string();
}

}  // namespace kessrune::testing
