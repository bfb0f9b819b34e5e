// pantrela-cli grocery: the grocery list without the window (list, add,
// edit, remove, quantities, new list, find, sort, rename a location).
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "foundation/codepage.h"
#include "foundation/numtext.h"
#include "foundation/file.h"
#include "grocery/grocery.h"
#include "grocery/grocery_export.h"

namespace pantrela::cli {
namespace {

using grocery::GroceryList;
using grocery::Item;

std::string JsonText(const std::string& cp1252) {
  std::string out = "\"";
  for (char c : Cp1252ToUtf8(cp1252)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (uint8_t(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(uint8_t(c)));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// Options of the form "--name VALUE" and bare words, in order.
struct Options {
  std::vector<std::string> words;
  std::vector<std::pair<std::string, std::string>> values;
  bool json = false;
  bool bad = false;
  const std::string* Get(const std::string& name) const {
    for (const auto& [k, v] : values)
      if (k == name) return &v;
    return nullptr;
  }
};

Options Parse(const std::vector<std::string>& args, size_t from, std::initializer_list<const char*> valued) {
  Options o;
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      o.json = true;
      continue;
    }
    bool known = false;
    for (const char* v : valued)
      if (a == v) known = true;
    if (known) {
      if (i + 1 >= args.size()) {
        o.bad = true;
        break;
      }
      o.values.emplace_back(a, args[++i]);
    } else if (a.rfind("--", 0) == 0) {
      o.bad = true;
    } else {
      o.words.push_back(a);
    }
  }
  return o;
}

// The offset of the first item named so (case-insensitive; in a store when
// given), or npos with a note on standard error.
size_t FindItem(const GroceryList& list, const std::string& nameUtf8, const std::string* storeUtf8) {
  const std::string name = grocery::GroupKey(Utf8ToCp1252(nameUtf8), "");
  const std::string store = storeUtf8 ? grocery::GroupKey(Utf8ToCp1252(*storeUtf8), "") : "";
  for (size_t p : grocery::ScanRecords(list.image)) {
    const Item it = grocery::ReadRecord(list.image, p);
    if (it.type != grocery::kTypeItem) continue;
    if (grocery::GroupKey(it.name, "") != name) continue;
    if (storeUtf8 && grocery::GroupKey(it.store, "") != store) continue;
    return p;
  }
  std::fprintf(stderr, "pantrela-cli: no grocery item named \"%s\"\n", nameUtf8.c_str());
  return std::string::npos;
}

int ListItems(GroceryList& list, const Options& o) {
  std::string view = o.Get("--view") ? *o.Get("--view") : "all";
  if (const std::string* text = o.Get("--search")) {
    if (!list.Search(Utf8ToCp1252(*text))) return kFailed;
    if (!o.Get("--view")) view = "search";
  }
  if (view == "all") list.view = grocery::kViewAll;
  else if (view == "shopping") list.view = grocery::kViewShopping;
  else if (view == "search") list.view = grocery::kViewSearch;
  else return kUsage;
  list.BuildRows();
  std::string out = o.json ? "[" : "";
  bool firstRow = true;
  for (int r = 0; r < int(list.rows.size()); ++r) {
    const Item it = list.RowItem(r);
    if (it.type != grocery::kTypeItem) continue;
    if (o.json) {
      out += std::string(firstRow ? "\n" : ",\n") + "  {\"name\": " + JsonText(it.name) +
             ", \"store\": " + JsonText(it.store) + ", \"location\": " + JsonText(it.location) +
             ", \"quantity\": " + Plain(it.quantity) + ", \"default_quantity\": " + Plain(it.defaultQuantity) +
             ", \"price_cents\": " + Plain(it.price) + "}";
    } else {
      out += Cp1252ToUtf8(it.store) + "\t" + Cp1252ToUtf8(it.location) + "\t" + Cp1252ToUtf8(it.name) + "\t" +
             Plain(it.quantity) + "\t" + grocery::PriceText(it.price) + "\n";
    }
    firstRow = false;
  }
  if (o.json) out += std::string(firstRow ? "" : "\n") + "]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!o.json)
    std::fprintf(stderr, "%s Items, Shopping List Total: $%s\n", Thousands(list.itemCount).c_str(),
                 Format(double(list.total) / 100.0, "0,.00").c_str());
  return kOk;
}

// Fills the values named on the command line into an item.
bool ApplyValues(const Options& o, Item& it) {
  if (const std::string* v = o.Get("--name")) it.name = Utf8ToCp1252(*v);
  if (const std::string* v = o.Get("--store")) it.store = Utf8ToCp1252(*v);
  if (const std::string* v = o.Get("--location")) it.location = Utf8ToCp1252(*v);
  if (const std::string* v = o.Get("--price")) it.price = grocery::ParsePrice(*v);
  if (const std::string* v = o.Get("--quantity")) it.defaultQuantity = grocery::ParseQuantity(*v);
  for (std::string* s : {&it.name, &it.store, &it.location}) {
    while (!s->empty() && s->front() == ' ') s->erase(s->begin());
    while (!s->empty() && s->back() == ' ') s->pop_back();
  }
  it.name = it.name.substr(0, 79);
  it.store = it.store.substr(0, 39);
  it.location = it.location.substr(0, 39);
  if (it.name.empty()) {
    std::fprintf(stderr, "pantrela-cli: Every grocery item must have a name.\n");
    return false;
  }
  return true;
}

int Grocery(Session& s, const std::vector<std::string>& args) {
  if (args.empty()) return kUsage;
  const std::string& verb = args[0];
  GroceryList list(s.ctx);
  list.Load();
  if (verb == "list") {
    const Options o = Parse(args, 1, {"--view", "--search"});
    if (o.bad || !o.words.empty()) return kUsage;
    return ListItems(list, o);
  }
  if (verb == "add") {
    const Options o = Parse(args, 1, {"--store", "--location", "--price", "--quantity"});
    if (o.bad || o.words.size() != 1) return kUsage;
    Item it;
    it.name = Utf8ToCp1252(o.words[0]);
    if (!ApplyValues(o, it)) return kFailed;
    return list.AddItem(it) ? kOk : kFailed;
  }
  if (verb == "edit") {
    const Options o = Parse(args, 1, {"--in-store", "--name", "--store", "--location", "--price", "--quantity"});
    if (o.bad || o.words.size() != 1) return kUsage;
    const size_t p = FindItem(list, o.words[0], o.Get("--in-store"));
    if (p == std::string::npos) return kFailed;
    Item it = grocery::ReadRecord(list.image, p);
    if (!ApplyValues(o, it)) return kFailed;
    return list.UpdateItem(p, it) ? kOk : kFailed;
  }
  if (verb == "remove") {
    const Options o = Parse(args, 1, {"--store"});
    if (o.bad || o.words.size() != 1) return kUsage;
    const size_t p = FindItem(list, o.words[0], o.Get("--store"));
    if (p == std::string::npos) return kFailed;
    return list.DeleteItem(p) ? kOk : kFailed;
  }
  if (verb == "set-quantity" || verb == "check" || verb == "uncheck") {
    const Options o = Parse(args, 1, {"--store"});
    const size_t want = verb == "set-quantity" ? 2 : 1;
    if (o.bad || o.words.size() != want) return kUsage;
    const size_t p = FindItem(list, o.words[0], o.Get("--store"));
    if (p == std::string::npos) return kFailed;
    int q = verb == "check" ? 1 : 0;
    if (verb == "set-quantity") {
      if (o.words[1].empty() || o.words[1].find_first_not_of("0123456789") != std::string::npos) return kUsage;
      q = int(std::min<long>(std::stol(o.words[1].substr(0, 9)), 255));
    }
    return list.SetQuantity(p, q) ? kOk : kFailed;
  }
  if (verb == "new-list") {
    if (args.size() != 1) return kUsage;
    return list.NewList() ? kOk : kFailed;
  }
  if (verb == "sort") {
    if (args.size() != 2) return kUsage;
    const char* names[] = {"location", "name", "quantity", "price"};
    for (int order = 0; order < 4; ++order) {
      if (args[1] != names[order]) continue;
      s.ctx.settings.grocery_sort = order;
      if (!SaveSettings(s.ctx)) return kFailed;
      return list.SortAndSave(order) ? kOk : kFailed;
    }
    return kUsage;
  }
  if (verb == "rename-location") {
    const Options o = Parse(args, 1, {"--store", "--location", "--new-store", "--new-location"});
    if (o.bad || !o.words.empty() || !o.Get("--location")) return kUsage;
    const std::string key =
        grocery::GroupKey(Utf8ToCp1252(o.Get("--store") ? *o.Get("--store") : ""), Utf8ToCp1252(*o.Get("--location")));
    for (size_t p : grocery::ScanRecords(list.image)) {
      const Item h = grocery::ReadRecord(list.image, p);
      if (h.type != grocery::kTypeHeading || grocery::GroupKey(h.store, h.location) != key) continue;
      const std::string store = o.Get("--new-store") ? Utf8ToCp1252(*o.Get("--new-store")) : h.store;
      const std::string location = o.Get("--new-location") ? Utf8ToCp1252(*o.Get("--new-location")) : h.location;
      return list.RenameLocation(p, store, location) ? kOk : kFailed;
    }
    std::fprintf(stderr, "pantrela-cli: no such store and location\n");
    return kFailed;
  }
  if (verb == "export") {
    const Options o = Parse(args, 1, {"--format", "-o"});
    if (o.bad || !o.words.empty() || !o.Get("--format") || !o.Get("-o")) return kUsage;
    const char* names[grocery::kFormatCount] = {"text", "csv", "splashshopper", "grocery-gadget", "mobi", "html"};
    int format = -1;
    for (int f = 0; f < grocery::kFormatCount; ++f)
      if (*o.Get("--format") == names[f]) format = f;
    if (format < 0) return kUsage;
    // The list walks the items grouped by store and location; the file
    // itself is left in the user's order.
    const ByteImage byLocation(grocery::SortedFile(list.image, grocery::kByLocation));
    const std::string bytes = grocery::ExportBytes(byLocation, format, grocery::ExportInfoNow(list.total));
    const std::string& target = *o.Get("-o");
    if (target == "-") return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() ? kOk : kFailed;
    if (!WriteFileAtomic(target, bytes)) {
      std::fprintf(stderr, "pantrela-cli: could not write \"%s\"\n", target.c_str());
      return kFailed;
    }
    return kOk;
  }
  return kUsage;
}

}  // namespace

PANTRELA_CLI_COMMAND("grocery",
                     "grocery list [--json] [--view all|shopping|search] [--search TEXT] | add NAME [--store S] "
                     "[--location L] [--price P] [--quantity N] | edit NAME [--in-store S] [--name N] [--store S] "
                     "[--location L] [--price P] [--quantity N] | remove NAME [--store S] | set-quantity NAME N "
                     "[--store S] | check NAME | uncheck NAME | new-list | sort location|name|quantity|price | "
                     "rename-location [--store S] --location L [--new-store S] [--new-location L] | export --format "
                     "text|csv|splashshopper|grocery-gadget|mobi|html -o FILE|-",
                     Grocery);

}  // namespace pantrela::cli
