#include "foundation/vendor.h"

#include <cstdlib>

namespace pantrela {

VendorAddresses VendorAddressesFrom(const char* base) {
  std::string b = (base && *base) ? base : "https://pantrela.example/";
  if (b.back() != '/') b += '/';
  VendorAddresses v;
  v.home = b;
  v.guide = b + "guide/";
  v.upgrade = b + "upgrade/";
  v.newsletter = b + "newsletter/";
  v.sites = b + "sites/";
  v.antivirus = b + "help/clipboard-antivirus/";
  v.recipesLogin = b + "recipes/login.php";
  // The support address lives at the site's host.
  std::string host = b;
  size_t scheme = host.find("://");
  if (scheme != std::string::npos) host = host.substr(scheme + 3);
  host = host.substr(0, host.find('/'));
  if (host.empty()) host = "pantrela.example";
  // The server's plain HTTP requests go to the same host and port.
  v.server = host;
  v.support = "support@" + host;
  return v;
}

VendorAddresses VendorAddressesFromEnvironment() { return VendorAddressesFrom(std::getenv("PANTRELA_VENDOR_URL")); }

}  // namespace pantrela
