#include "grocery/grocery_export.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <mutex>

#include "export/mobi.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "foundation/shell.h"
#include "foundation/vendor.h"
#include "ingredients/text_ops.h"
#include "platform/codepage.h"

namespace pantrela::grocery {

namespace {

constexpr const char* kCrLf = "\r\n";

std::string Quoted(std::string_view value) {
  // A quote inside a value is doubled so a standard reader keeps the row.
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// The shared walk: every item on the list with the heading it stands under;
// `group` is called when a new group starts.
template <typename Group, typename Row>
void WalkList(const ByteImage& image, Group group, Row row) {
  std::string heading, lastGroup;
  bool anyGroup = false;
  for (size_t p : ScanRecords(image)) {
    const uint8_t type = image.Get8(p + kOffType);
    if (type == kTypeHeading) {
      const Item h = ReadRecord(image, p);
      heading = GroupHeading(h.store, h.location);
      continue;
    }
    if (type != kTypeItem || image.Get8(p + kOffQuantity) == 0) continue;
    if (!anyGroup || heading != lastGroup) {
      group(heading, !anyGroup);
      lastGroup = heading;
      anyGroup = true;
    }
    row(ReadRecord(image, p));
  }
}

std::string PlainText(const ByteImage& image, const ExportInfo& info) {
  std::string out;
  WalkList(
      image,
      [&](const std::string& heading, bool first) {
        if (!first) out += kCrLf;
        out += heading + ":" + kCrLf;
      },
      [&](const Item& it) { out += Fmt(it.quantity) + " - " + it.name + kCrLf; });
  out += kCrLf + info.webAddress + kCrLf + kCrLf;
  return out;
}

std::string Csv(const ByteImage& image) {
  std::string out = std::string("Store,Location,Quantity,Item,Price") + kCrLf;
  WalkList(image, [](const std::string&, bool) {}, [&](const Item& it) {
    out += Quoted(it.store) + "," + Quoted(it.location) + "," + Quoted(Fmt(it.quantity)) + "," + Quoted(it.name) +
           "," + Quoted(PriceText(it.price)) + kCrLf;
  });
  return out;
}

std::string SplashShopper(const ByteImage& image) {
  std::string out = std::string("SplashShopper Export File") + kCrLf;
  WalkList(image, [](const std::string&, bool) {}, [&](const Item& it) {
    const std::string values[13] = {"N", it.name, it.store, it.location, "", "", Format(it.quantity, "0.00"), "Unit",
                                    PriceText(it.price), "", "", "", ""};
    for (int i = 0; i < 13; ++i) out += (i ? "," : "") + Quoted(values[i]);
    out += kCrLf;
  });
  return out;
}

std::string GroceryGadget(const ByteImage& image) {
  std::string out = std::string("ItemName,Category,Quantity,Remarks,Tax1,Tax2,Price") + kCrLf;
  WalkList(image, [](const std::string&, bool) {}, [&](const Item& it) {
    out += Quoted(it.name) + "," + Quoted(StoreAndLocation(it.store, it.location)) + "," +
           Format(it.quantity, "0.00") + "," + Quoted("") + "," + Quoted("False") + "," + Quoted("False") + "," +
           PriceText(it.price) + kCrLf;
  });
  return out;
}

// The groups as tables, as the HTML page and the e-book text both write
// them: a table per group under its heading, one row per item.
std::string GroupTables(const ByteImage& image, const std::string& tableTag,
                        const std::function<std::string(const Item&)>& row) {
  std::string out;
  bool open = false;
  WalkList(
      image,
      [&](const std::string& heading, bool first) {
        if (open) out += std::string("</table>") + kCrLf;
        if (!first) out += "<br>";
        out += "<b><font color=#0000A0>" + HtmlEscape(heading) + "</font></b><br>" + kCrLf;
        out += tableTag + kCrLf;
        open = true;
      },
      [&](const Item& it) { out += row(it); });
  if (open) out += std::string("</table>") + kCrLf;
  return out;
}

std::string Html(const ByteImage& image, const ExportInfo& info) {
  const std::string host = info.Host();
  std::string out =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"></head>"
      "<body style=\"font: normal 24pt Arial, sans-serif;\">";
  out += "<center><h1><font color=#A00000>" + info.Title() + "</font></h1>" + info.TotalLine();
  out += std::string("<br><br>") + kProgramName + " Recipe Software<br>";
  out += "<a href=\"http://" + host + "\">" + host + "</a></center>";
  out += std::string("<div style=\"width: 96%; margin-left: auto; margin-right: auto;\">") + kCrLf;
  const std::string cell = "padding-left: 10px; border: solid 1px #000000;";
  out += GroupTables(image,
                     "<table style=\"border: solid 1px #000000; font: normal 24pt Arial, sans-serif; "
                     "border-collapse: collapse; width: 100%;\"> ",
                     [&](const Item& it) {
                       return "<tr><td width=10% style=\"" + cell + "\">" + Fmt(it.quantity) +
                              "</td><td width=75% style=\"" + cell + "\">" + HtmlEscape(it.name) +
                              "</td><td width=15% style=\"padding-right: 10px; border: solid 1px #000000; "
                              "text-align: right;\">" +
                              PriceText(it.price) + "</td></tr>";
                     });
  return out + "</div></body></html>";
}

std::string MobiText(const ByteImage& image, const ExportInfo& info) {
  const std::string host = info.Host();
  std::string out = "<html><head></head><body>";
  out += "<br><br><br><center><h1><font color=#A00000><b>" + info.Title() + "</b></font></h1><br>" +
         info.TotalLine() + "</center>";
  out += std::string("<br><br><br><br><br><br><center>") + kProgramName + " Recipe Software<br>";
  out += "<a href=\"http://" + host + "\">" + host + "</a></center>";
  out += "<mbp:pagebreak/>";
  out += GroupTables(image, "<table width=100% border=1>", [](const Item& it) {
    return "<tr><td width=10%>" + Fmt(it.quantity) + "</td><td width=75%>" + HtmlEscape(it.name) +
           "</td><td width=15%>" + PriceText(it.price) + "</td></tr>";
  });
  return out + "</body></html>";
}

std::string NewsText(AppContext& ctx) {
  std::lock_guard<std::mutex> lock(ctx.newsMutex);
  return ctx.newsText;
}

}  // namespace

std::string ExportInfo::Date() const {
  static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  const int m = today.month >= 1 && today.month <= 12 ? today.month : 1;
  return std::string(kMonths + (m - 1) * 3, 3) + " " + Plain(today.day) + ", " + Format(today.year, "0000");
}

std::string ExportInfo::TotalLine() const { return "Estimated Total: $ " + Format(double(total) / 100.0, "0.00"); }

std::string ExportInfo::Host() const {
  std::string_view web = webAddress;
  const size_t scheme = web.find("://");
  if (scheme != std::string_view::npos) web.remove_prefix(scheme + 3);
  return std::string(web.substr(0, web.find('/')));
}

ExportInfo ExportInfoNow(int64_t total) {
  ExportInfo info;
  const BookClock clock = BookClockNow();
  info.today = clock.today;
  info.created = clock.seconds;
  info.total = total;
  info.webAddress = VendorAddressesFromEnvironment().home;
  return info;
}

std::string GroupHeading(std::string_view store, std::string_view location) {
  const std::string_view s = textops::TrimSpaces(store);
  if (s.empty()) return std::string(location);
  return std::string(s) + ": " + std::string(location);
}

std::string GroceryFileName(std::string_view name, int format) {
  std::string n(name);
  if (const size_t dot = n.rfind('.'); dot != std::string::npos) n.resize(dot);
  n = std::string(textops::TrimSpaces(n));
  if (n.empty()) n = "Grocery List";
  return n + kFormatExtensions[format >= 0 && format < kFormatCount ? format : 0];
}

std::string ExportBytes(const ByteImage& image, int format, const ExportInfo& info) {
  switch (format) {
    case kCsv: return Csv(image);
    case kSplashShopper: return SplashShopper(image);
    case kGroceryGadget: return GroceryGadget(image);
    case kHtml: return Html(image, info);
    case kMobi:
      return MobiContainer(MobiText(image, info), info.Title(), info.TotalLine(), info.webAddress, info.created);
    default: return PlainText(image, info);
  }
}

bool WriteGroceryExport(GroceryList& list, const std::string& folder, const std::string& name, int format,
                        std::string* written) {
  AppContext& ctx = list.ctx();
  Dialogs& d = ctx.dialogs();
  const std::string file = GroceryFileName(name, format);
  const std::string path = folder + file;
  if (Exists(path) &&
      d.Message(FileNameForDisplay(file) + " already exists.|Do you want to overwrite it?", "OK|Cancel", 1) != 1)
    return false;
  std::string bytes;
  {
    ProgressScope progress(ctx);
    progress.Update("Exporting Grocery List", "", 0, 1);
    bytes = ExportBytes(list.image, format, ExportInfoNow(list.total));
    progress.Update("Exporting Grocery List", "", 1, 1);
  }
  if (!WriteFileAtomic(path, bytes)) {
    const int err = errno;
    d.Message(FileNameForDisplay(file) + " could not be written.||" + SystemErrorText(err) +
                  "|Nothing was saved under this name.",
              "OK", 1);
    ctx.Log("Unable to write " + file + ": " + SystemErrorText(err));
    return false;
  }
  if (written) *written = path;
  return true;
}

void ExportToDestination(GroceryList& list, ExportServices& services, int entry) {
  AppContext& ctx = list.ctx();
  Dialogs& d = ctx.dialogs();
  if (entry == 2) {
    int selected = std::clamp(ctx.settings.grocery_format, 0, kFormatCount - 1);
    std::vector<std::string> formats;
    for (std::string_view rest = kFormatList;;) {
      const size_t bar = rest.find('|');
      formats.emplace_back(rest.substr(0, bar));
      if (bar == std::string_view::npos) break;
      rest.remove_prefix(bar + 1);
    }
    if (d.ChooseFromList("Select Export Format", formats, "OK|Cancel", selected) != 1) return;
    ctx.settings.grocery_format = selected;
    std::string folder = ctx.settings.grocery_path.empty() ? DefaultExportFolder() : ctx.settings.grocery_path;
    std::string name;
    if (!d.BrowseFiles("Where Do You Want To Save Your Grocery List?", folder, name)) {
      SaveSettings(ctx);
      return;
    }
    if (!folder.empty() && folder.back() != '/') folder += '/';
    ctx.settings.grocery_path = folder;
    SaveSettings(ctx);
    WriteGroceryExport(list, folder, name, selected);
    return;
  }
  const std::string scratch = NewExportScratchFolder(ctx.files);
  if (scratch.empty()) {
    ReportWriteFailure(ctx, ExportScratchFolder(ctx.files), errno);
    return;
  }
  std::string path;
  if (entry == 0 || entry == 1) {
    if (WriteGroceryExport(list, scratch, entry == 0 ? "grocery" : "grocery.txt", kPlainText, &path)) {
      std::string text;
      ReadWholeFile(path, text);
      if (entry == 0) {
        services.PutClipboardText(text);
      } else {
        if (services.SendMailWithAttachment("", ExportInfoNow(list.total).Title(), text, "") > 0)
          d.Message(std::string(kProgramName) + " was unable to open your email program.||" +
                        "Please export to the Clipboard instead.|" + "Then start a new email in your email program,|" +
                        "and paste the recipe into your message.",
                    "OK", 1);
        SaveSettings(ctx);
      }
    }
  } else if (entry == 3 || entry == 4) {
    const bool mobi = entry == 4;
    const int format = mobi ? kMobi : kHtml;
    if (WriteGroceryExport(list, scratch, mobi ? "grocery.mobi" : "grocery.htm", format, &path) && Exists(path)) {
      std::string& key = mobi ? ctx.settings.ftp_grocery_mobi : ctx.settings.ftp_grocery_htm;
      std::string settings = key;
      const std::string formText = std::string("Enter Settings for FTP Server (") + (mobi ? "MOBI" : "HTML") +
                                   " Format)|Click the FAQ button if you need assistance.";
      const std::string help = NewsValue(NewsText(ctx), mobi ? "pantrela_kindle_grocery" : "pantrela_ipad_grocery");
      const auto open = [&](const std::string& link) { services.OpenWebAddress(ctx, link); };
      if (FtpSettingsForm(d, formText, help, settings, "Grocery", mobi ? "mobi" : "htm", open)) {
        key = settings;
        SaveSettings(ctx);
        const FtpResult up = services.Upload(ctx, d, settings, path);
        d.Message(up.text, "OK", 1);
      }
    }
  }
  DeleteTree(scratch);
}

void GroceryExportCommand(GroceryList& list, ExportServices& services, int x, int y) {
  AppContext& ctx = list.ctx();
  if (list.image.empty()) {
    ctx.dialogs().Message("Grocery Buffer is Empty", "OK", 1);
    return;
  }
  const int entry = ctx.dialogs().PopupList(x, y, 340, std::vector<std::string>(kExportMenu, kExportMenu + 5));
  if (entry < 0 || entry > 4) return;
  const int view = list.view;
  list.SortAndSave(kByLocation);
  ExportToDestination(list, services, entry);
  list.SortAndSave(list.Order());
  list.view = view;
  list.BuildRows();
}

}  // namespace pantrela::grocery
