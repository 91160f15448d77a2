#include "certs.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace sitesim {

namespace {

[[noreturn]] void fail(const char* what) {
  char detail[256] = "";
  ERR_error_string_n(ERR_get_error(), detail, sizeof detail);
  throw std::runtime_error(std::string(what) + ": " + detail);
}

std::unique_ptr<EVP_PKEY, KeyFree> make_key() {
  // P-256 keys are made in microseconds, RSA keys would slow every test start.
  std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
  if (!key) fail("key generation");
  return key;
}

void add_extension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext) fail("certificate extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

std::unique_ptr<X509, X509Free> make_cert(const char* common_name, EVP_PKEY* key, X509* issuer,
                                          EVP_PKEY* issuer_key) {
  std::unique_ptr<X509, X509Free> cert(X509_new());
  if (!cert) fail("X509_new");
  X509_set_version(cert.get(), 2);

  unsigned char serial_bytes[16];
  RAND_bytes(serial_bytes, sizeof serial_bytes);
  serial_bytes[0] &= 0x7F;  // serials are positive
  BIGNUM* serial = BN_bin2bn(serial_bytes, sizeof serial_bytes, nullptr);
  BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(cert.get()));
  BN_free(serial);

  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 60L * 60 * 24 * 365 * 5);
  X509_set_pubkey(cert.get(), key);

  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Trovix site simulator"), -1,
                             -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(common_name), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));

  add_extension(cert.get(), signer, NID_subject_key_identifier, "hash");
  if (issuer) {
    add_extension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    add_extension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    add_extension(cert.get(), signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
    add_extension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    add_extension(cert.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  } else {
    add_extension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    add_extension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    add_extension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  }

  if (X509_sign(cert.get(), issuer_key ? issuer_key : key, EVP_sha256()) == 0) fail("signing");
  return cert;
}

std::string drain(BIO* bio) {
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  std::string text(data, static_cast<std::size_t>(size));
  BIO_free(bio);
  return text;
}

}  // namespace

Credentials make_credentials() {
  Credentials c;
  c.ca_key = make_key();
  c.ca_cert = make_cert("Trovix Test CA", c.ca_key.get(), nullptr, nullptr);
  c.server_key = make_key();
  c.server_cert = make_cert("127.0.0.1", c.server_key.get(), c.ca_cert.get(), c.ca_key.get());
  return c;
}

std::string to_pem(X509* cert) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert);
  return drain(bio);
}

std::string to_pem(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  return drain(bio);
}

}  // namespace sitesim
