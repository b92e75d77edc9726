// A certificate authority of the tests' own and certificates made with it,
// written as PEM files into a fresh temporary directory that goes with the
// object. The constructor throws std::runtime_error when OpenSSL or the file
// system fails.
//   TestCertificates certificates;
//   HttpsServer tls(certificates.serverCertFile(), certificates.keyFile());
//   settings.caFile = certificates.caFile();
#ifndef KESSRUNE_TESTING_TEST_CERTIFICATES_H
#define KESSRUNE_TESTING_TEST_CERTIFICATES_H

#include <filesystem>
#include <string>

namespace kessrune::testing {

class TestCertificates {
  public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    std::string caFile() const;          // the CA certificate
    std::string serverCertFile() const;  // signed by the CA for 127.0.0.1 and localhost
    std::string serverKeyFile() const;
    std::string selfSignedCertFile() const;  // for 127.0.0.1, signed by nobody's CA
    std::string otherHostCertFile() const;   // signed by the CA for other.example only
    std::string keyFile() const { return serverKeyFile(); }  // the key of every certificate

  private:
    std::filesystem::path dir_;
};

}  // namespace kessrune::testing

#endif  // KESSRUNE_TESTING_TEST_CERTIFICATES_H
