// The vendor's pages and addresses. They come from one environment variable,
// PANTRELA_VENDOR_URL (the base address of the vendor's site); without it
// they are placeholders under the reserved pantrela.example domain.
#pragma once

#include <string>

namespace pantrela {

struct VendorAddresses {
  std::string home;        // web page
  std::string guide;       // online user guide
  std::string upgrade;     // check for updates
  std::string newsletter;  // newsletter subscription
  std::string sites;       // list of supported recipe web sites
  std::string antivirus;   // help with antivirus programs that block the clipboard
  std::string support;     // e-mail address of the support
  std::string recipesLogin;  // the online recipes of a cloud account
  std::string server;      // host[:port] of the vendor server's HTTP requests
};

// The addresses under `base` (null or "" for the placeholder site).
VendorAddresses VendorAddressesFrom(const char* base);
// The addresses under PANTRELA_VENDOR_URL.
VendorAddresses VendorAddressesFromEnvironment();

}  // namespace pantrela
