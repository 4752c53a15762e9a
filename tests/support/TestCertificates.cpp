#include "tests/support/TestCertificates.h"

#include <cstdio>
#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace cvt::test {

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("test certificates: ") + what + " failed");
    }
}

void addExtension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    check(extension != nullptr, "extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

X509* makeCertificate(const std::string& commonName, EVP_PKEY* key, long fromDays, long toDays) {
    static long serial = 1;
    X509* certificate = X509_new();
    check(certificate != nullptr, "X509_new");
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), ++serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), fromDays * 86400);
    X509_gmtime_adj(X509_getm_notAfter(certificate), toDays * 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()), -1,
                               -1, 0);
    return certificate;
}

void writePem(const std::filesystem::path& path, X509* certificate, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    check(file != nullptr, "opening a certificate file");
    const bool ok = certificate != nullptr
                        ? PEM_write_X509(file, certificate) == 1
                        : PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(file);
    check(ok, "writing PEM");
}

} // namespace

struct TestCertificates::Keys {
    EVP_PKEY* key = nullptr;
    X509* certificate = nullptr;
    ~Keys() {
        X509_free(certificate);
        EVP_PKEY_free(key);
    }
};

TestCertificates::TestCertificates(std::filesystem::path folder) : m_folder(std::move(folder)), m_ca(new Keys) {
    m_ca->key = EVP_EC_gen("P-256");
    check(m_ca->key != nullptr, "CA key");
    m_ca->certificate = makeCertificate("Test CA", m_ca->key, -1, 365);
    X509_set_issuer_name(m_ca->certificate, X509_get_subject_name(m_ca->certificate));
    addExtension(m_ca->certificate, m_ca->certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(m_ca->certificate, m_ca->certificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(m_ca->certificate, m_ca->certificate, NID_subject_key_identifier, "hash");
    check(X509_sign(m_ca->certificate, m_ca->key, EVP_sha256()) > 0, "signing the CA");
    writePem(m_folder / "ca.pem", m_ca->certificate, nullptr);
}

TestCertificates::~TestCertificates() {
    delete m_ca;
}

TestLeaf TestCertificates::issue(const TestLeafRequest& request) {
    Keys leaf;
    leaf.key = EVP_EC_gen("P-256");
    check(leaf.key != nullptr, "leaf key");
    leaf.certificate = makeCertificate(request.stem, leaf.key, request.validFromDays, request.validToDays);
    X509* issuer = request.selfSigned ? leaf.certificate : m_ca->certificate;
    EVP_PKEY* issuerKey = request.selfSigned ? leaf.key : m_ca->key;
    X509_set_issuer_name(leaf.certificate, X509_get_subject_name(issuer));
    std::string names;
    for (const std::string& name : request.altNames) {
        names += (names.empty() ? "" : ",") + name;
    }
    if (!names.empty()) {
        addExtension(leaf.certificate, issuer, NID_subject_alt_name, names);
    }
    addExtension(leaf.certificate, issuer, NID_ext_key_usage, "serverAuth");
    check(X509_sign(leaf.certificate, issuerKey, EVP_sha256()) > 0, "signing a leaf");
    TestLeaf files{(m_folder / (request.stem + ".pem")).string(), (m_folder / (request.stem + ".key")).string()};
    writePem(files.certFile, leaf.certificate, nullptr);
    writePem(files.keyFile, nullptr, leaf.key);
    return files;
}

} // namespace cvt::test
