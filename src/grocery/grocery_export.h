// The shopping-list exports: plain text, three CSV forms, an HTML page and
// an e-book, to the clipboard, an e-mail, a file or a tablet over FTP.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export/destinations.h"
#include "foundation/dates.h"
#include "grocery/grocery.h"

namespace pantrela::grocery {

enum ExportFormat : int { kPlainText = 0, kCsv, kSplashShopper, kGroceryGadget, kMobi, kHtml, kFormatCount };
inline constexpr const char* kFormatList =
    "Plain Text|Comma Delimited (CSV)|SplashShopper (CSV)|Grocery Gadget (CSV)|eBook (MOBI)|HTML Web Page";
inline constexpr const char* kFormatExtensions[kFormatCount] = {".txt", ".csv", ".csv", ".csv", ".mobi", ".htm"};
inline constexpr const char* kExportMenu[5] = {"Export to the clipboard", "Export to email", "Export to a file",
                                               "Export to your iPad tablet (HTML)",
                                               "Export to your Kindle Fire (MOBI)"};

// The fixed values of one export.
struct ExportInfo {
  Ymd today;
  int64_t total = 0;         // shopping-list total, cents
  std::string webAddress;    // the product's web address
  uint32_t created = 0;      // e-book creation time, seconds since 1970
  std::string Date() const;  // "Dec 10, 2026"
  std::string Title() const { return "Grocery List for " + Date(); }
  std::string TotalLine() const;
  std::string Host() const;
};
ExportInfo ExportInfoNow(int64_t total);

// The heading of a group: trimmed store + ": " + location, or the location.
std::string GroupHeading(std::string_view store, std::string_view location);
// The file name of a format: the name without its extension, trimmed, "Grocery List" when empty, and the
// format's extension.
std::string GroceryFileName(std::string_view name, int format);

// The bytes of the shopping list (items with a quantity above 0 under the
// headings of the file, in file order) in one format.
std::string ExportBytes(const ByteImage& image, int format, const ExportInfo& info);

// Writes one format to folder + the fixed file name, asking before an
// existing file is replaced. True when the file was written; `written` gets
// its path.
bool WriteGroceryExport(GroceryList& list, const std::string& folder, const std::string& name, int format,
                        std::string* written = nullptr);

// "Export List>": the pop-up menu at (x, y) and the chosen destination, the
// file sorted by store and location around it.
void GroceryExportCommand(GroceryList& list, ExportServices& services, int x, int y);
void ExportToDestination(GroceryList& list, ExportServices& services, int entry);

}  // namespace pantrela::grocery
