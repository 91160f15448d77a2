// A throw-away certificate authority and a server certificate for 127.0.0.1 and
// localhost signed by it, made fresh at every start so HTTPS can be verified.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace sitesim {

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};
struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};

struct Credentials {
  std::unique_ptr<X509, X509Free> ca_cert;
  std::unique_ptr<EVP_PKEY, KeyFree> ca_key;
  std::unique_ptr<X509, X509Free> server_cert;
  std::unique_ptr<EVP_PKEY, KeyFree> server_key;
};

// Throws std::runtime_error when OpenSSL fails.
Credentials make_credentials();

// PEM text of a certificate or a private key.
std::string to_pem(X509* cert);
std::string to_pem(EVP_PKEY* key);

}  // namespace sitesim
