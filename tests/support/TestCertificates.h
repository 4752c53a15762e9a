#pragma once

// Certificates made at test time: one test CA, and leaf certificates it issues (or that sign
// themselves) for the names, addresses and validity a test needs. Every file is PEM and lives in
// the folder given. Point SSL_CERT_FILE at caFile() to make the client trust the CA.

#include <filesystem>
#include <string>
#include <vector>

namespace cvt::test {

struct TestLeaf {
    std::string certFile;
    std::string keyFile;
};

struct TestLeafRequest {
    std::string stem;                  // file names: <stem>.pem, <stem>.key
    std::vector<std::string> altNames; // subjectAltName entries, e.g. "DNS:localhost", "IP:127.0.0.1"
    long validFromDays = -1;           // relative to now
    long validToDays = 30;
    bool selfSigned = false; // signed by its own key instead of the CA's
};

class TestCertificates {
public:
    // Makes the CA (<folder>/ca.pem). Throws std::runtime_error when OpenSSL fails.
    explicit TestCertificates(std::filesystem::path folder);
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    std::string caFile() const { return (m_folder / "ca.pem").string(); }
    TestLeaf issue(const TestLeafRequest& request);
    // The usual leaf: localhost and 127.0.0.1, valid now, issued by the CA.
    TestLeaf localhost() { return issue({"localhost", {"DNS:localhost", "IP:127.0.0.1"}}); }

private:
    std::filesystem::path m_folder;
    struct Keys;
    Keys* m_ca;
};

} // namespace cvt::test
