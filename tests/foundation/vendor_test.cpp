#include "foundation/vendor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace pantrela {
namespace {

TEST(Vendor, EveryAddressFollowsTheConfiguredSite) {
  const char* saved = getenv("PANTRELA_VENDOR_URL");
  std::string keep = saved ? saved : "";
  unsetenv("PANTRELA_VENDOR_URL");
  VendorAddresses d = VendorAddressesFromEnvironment();
  for (const std::string* a : {&d.home, &d.guide, &d.upgrade, &d.newsletter, &d.sites, &d.antivirus})
    EXPECT_EQ(a->rfind("https://pantrela.example/", 0), 0u) << *a;
  EXPECT_EQ(d.antivirus, "https://pantrela.example/help/clipboard-antivirus/");
  setenv("PANTRELA_VENDOR_URL", "http://127.0.0.1:9/v", 1);
  VendorAddresses o = VendorAddressesFromEnvironment();
  EXPECT_EQ(o.antivirus, "http://127.0.0.1:9/v/help/clipboard-antivirus/");
  EXPECT_EQ(o.support, "support@127.0.0.1:9");
  EXPECT_EQ(o.server, "127.0.0.1:9");
  EXPECT_EQ(o.recipesLogin, "http://127.0.0.1:9/v/recipes/login.php");
  EXPECT_EQ(d.server, "pantrela.example");
  if (saved) setenv("PANTRELA_VENDOR_URL", keep.c_str(), 1);
  else unsetenv("PANTRELA_VENDOR_URL");
}

}  // namespace
}  // namespace pantrela
