#include "import/import_formats.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "import/mastercook.h"
#include "import/mealmaster.h"
#include "import/other_formats.h"
#include "import/xml_formats.h"

namespace pantrela {
namespace {

struct FormatEntry {
  int code;
  const char* label;
};

const FormatEntry kFormats[] = {
    {0, "-Detect format automatically"},
    {1, "-Manual Import"},
    {2, "-Import as Information Text"},
    {3, "-Accu Chef"},
    {4, "-Big Oven"},
    {5, "-Computer Chef (DOS)"},
    {6, "-Computer Cuisine Deluxe"},
    {8, "-Cookbook Wizard"},
    {10, "-Cookware Deluxe (text export)"},
    {11, "-Edna's Cookbook (Recipe.dat)"},
    {12, "-From Scratch"},
    {14, "-Pantrela"},
    {15, "-Living Cookbook FDX (XML)"},
    {16, "-Mac Gourmet"},
    {17, "-Mastercook (MC2, TXT)"},
    {18, "-Mastercook XML (MX2, MZ2)"},
    {19, "-Meal Master (MM, MMF, TXT)"},
    {20, "-Now You're Cooking"},
    {21, "-Recipe Processor"},
    {22, "-RecipeML (XML)"},
};
constexpr int kFormatCount = int(sizeof kFormats / sizeof kFormats[0]);

std::string EntryText(const FormatEntry& f) { return Format(f.code, "00") + f.label; }

bool Has(const std::string& text, std::string_view marker) { return text.find(marker) != std::string::npos; }

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}

// The marker as UTF-16 (little-endian) bytes.
std::string Utf16Bytes(std::string_view ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

constexpr uint64_t kMaxEntryBytes = 64ull << 20;
constexpr uint64_t kMaxArchiveBytes = 256ull << 20;

// The part of a zip entry's name after its last "/" or "\"; "" for names
// that are then empty, "." or "..".
std::string SafeEntryName(const std::string& stored) {
  size_t cut = stored.find_last_of("/\\");
  std::string name = cut == std::string::npos ? stored : stored.substr(cut + 1);
  if (name == "." || name == "..") name.clear();
  return name;
}

}  // namespace

const std::string& ImportFormatListText() {
  static const std::string text = [] {
    std::string t;
    for (int i = 0; i < kFormatCount; ++i) {
      if (i) t += '|';
      t += EntryText(kFormats[i]);
    }
    return t;
  }();
  return text;
}

int ImportFormatList(int index, std::string& entry) {
  if (index >= 0 && index < kFormatCount) entry = EntryText(kFormats[index]);
  return kFormatCount;
}

int ImportFormatCode(const std::string& entry) { return ValInt(entry.substr(0, 2)); }

void DetectImportFormat(AppContext& ctx, std::string& file, int& format) {
  if (!Exists(file)) return;
  std::string text;
  {
    File f = File::Open(OpenMode::Read, file);
    text = f.ReadBytes(int64_t(std::min<uint64_t>(f.Size(), 100000)));
  }
  text = LowerAscii(std::move(text));
  size_t a = text.find_first_not_of(' ');
  size_t b = text.find_last_not_of(' ');
  text = a == std::string::npos ? std::string() : text.substr(a, b - a + 1);
  const std::string name = LowerAscii(file);

  int code = 0;
  if (Has(text, "*****") && Has(text, "accuchef")) code = 3;
  else if (Has(text, "-=") && Has(text, "exported") && Has(text, "bigoven")) code = 4;
  else if (Has(text, "*** recipe via compu-chef")) code = 5;
  else if (Has(text, "created using\x0b" "computer cuisine")) code = 6;
  else if (Has(text, "exported from") && Has(text, "cookbook wizard")) code = 8;
  else if (Has(text, "exported from cookware deluxe") || Has(text, Utf16Bytes("exported from cookware deluxe"))) code = 10;
  else if (Has(text, "name of recipe") && Has(name, "recipe.dat")) code = 11;
  else if (Has(text, "from scratch") && Has(text, "recipe begins")) code = 12;
  else if (Has(text, "pantrela") && Has(text, "chapter:")) code = 14;
  else if ((Has(text, "fdx") || Has(text, "lc2")) && Has(text, "source=\"living cookbook")) code = 15;
  else if (Has(text, "<?xml") && (Has(text, "<key>directions</key>") || Has(text, "<key>directions_list</key>")))
    code = 16;  // the second form is the upper-case key style of newer versions
  else if (Has(text, "exported") && Has(text, "recipe by") && (Has(text, "- - - -") || Has(text, "preparation method")))
    code = 17;
  else if (Has(text, "<!doctype mx2 system")) code = 18;
  else if (text.rfind("pk", 0) == 0 && name.size() >= 4 && name.compare(name.size() - 4, 4, ".mz2") == 0) {
    ExtractMz2(ctx, file, format);
    return;
  } else if (Has(text, "-----") && Has(text, "meal") && Has(text, "master") && Has(text, "categories")) code = 19;
  else if (Has(text, "@@@@@") && Has(text, "now you're cooking")) code = 20;
  else if (Has(text, "rpw") && Has(text, "-----") && Has(text, "+++")) code = 21;
  else if (Has(text, "<?xml") && Has(text, "<recipeml")) code = 22;
  if (code != 0) format = code;
}

void ExtractMz2(AppContext& ctx, std::string& file, int& format) {
  const std::string temp = ctx.files.dataFolder + "temp/";
  // The folder lives for one import run; a link in its place is removed,
  // never followed, and what an earlier run left goes first.
  if (!MakeRealFolder(temp)) return;
  EmptyFolder(temp);
  unzFile zip = unzOpen64(file.c_str());
  if (!zip) return;
  ProgressScope progress(ctx);
  unz_global_info64 info{};
  unzGetGlobalInfo64(zip, &info);
  const int64_t count = int64_t(info.number_entry);
  // Only the one entry the reader takes is unpacked: the first .mx2 file by
  // name. Every entry is still logged, with its stored size.
  struct Candidate {
    std::string name;
    unz64_file_pos pos;
    uint64_t size;
  };
  std::vector<Candidate> found;
  int64_t n = 0;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK && !ctx.Quitting(); rc = unzGoToNextFile(zip)) {
    ++n;
    progress.Update("Extracting Recipes", "", double(n), double(count));
    char stored[1024] = {0};
    unz_file_info64 fi{};
    if (unzGetCurrentFileInfo64(zip, &fi, stored, sizeof stored - 1, nullptr, 0, nullptr, 0) != UNZ_OK) continue;
    const std::string name = SafeEntryName(stored);
    if (name.empty()) continue;
    ctx.Log(Plain(n) + "/" + Plain(count) + " - " + Plain(int64_t(fi.uncompressed_size)) + " - " + name);
    if (name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".mx2") {
      Candidate c{name, {}, fi.uncompressed_size};
      if (unzGetFilePos64(zip, &c.pos) == UNZ_OK) found.push_back(c);
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) { return a.name < b.name; });
  // Of entries with the same name the last counts.
  std::vector<Candidate> names;
  for (const Candidate& c : found) {
    if (!names.empty() && names.back().name == c.name) names.back() = c;
    else names.push_back(c);
  }
  // The first entry by name that unpacks within the limits; the whole
  // archive never unpacks more than kMaxArchiveBytes, whatever its entries
  // claim.
  std::string bytes;
  const Candidate* pick = nullptr;
  bool skippedLarge = false;
  uint64_t unpacked = 0;
  for (const Candidate& c : names) {
    if (c.size > kMaxEntryBytes || unpacked >= kMaxArchiveBytes) {
      ctx.Log("Mastercook File: " + c.name + " is larger than 64 MB");
      skippedLarge = true;
      continue;
    }
    if (unzGoToFilePos64(zip, &c.pos) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) continue;
    bytes.clear();
    bool tooLarge = false;
    char buf[65536];
    int got;
    while ((got = unzReadCurrentFile(zip, buf, sizeof buf)) > 0) {
      bytes.append(buf, size_t(got));
      unpacked += uint64_t(got);
      if (bytes.size() > kMaxEntryBytes || unpacked > kMaxArchiveBytes) {  // the stored size was wrong
        tooLarge = true;
        break;
      }
    }
    unzCloseCurrentFile(zip);
    if (tooLarge) {
      ctx.Log("Mastercook File: " + c.name + " is larger than 64 MB");
      skippedLarge = true;
      continue;
    }
    if (bytes.empty()) continue;
    pick = &c;
    break;
  }
  unzClose(zip);
  progress.Close();
  if (!pick) {
    if (skippedLarge)
      ctx.dialogs().Message("The recipe file in this archive is larger than 64 MB and cannot be imported:||" +
                           file.substr(file.rfind('/') + 1),
                       "OK", 1);
    return;
  }
  const std::string target = temp + pick->name;
  File out = File::Open(OpenMode::Write, target);
  if (!out.WriteAll(bytes)) {
    ReportWriteFailure(ctx, target, out.lastError());
    out.Close();
    DeleteFile(target);
    return;
  }
  ctx.Log("Mastercook File: " + pick->name);
  file = target;
  format = kFormatMastercookXml;
}

std::map<int, FormatReader> ImportReaders() {
  return {
      {kFormatInfoText, &ImportInformationText},
      {kFormatAccuChef, &ImportAccuChef},
      {kFormatBigOven, &ImportBigOven},
      {kFormatComputerChef, &ImportCompuChef},
      {kFormatComputerCuisine, &ImportComputerCuisine},
      {kFormatCookbookWizard, &ImportCookbookWizard},
      {kFormatCookwareDeluxe, &ImportCookwareDeluxe},
      {kFormatEdnas, &ImportEdnasCookbook},
      {kFormatFromScratch, &ImportFromScratch},
      {kFormatOwnText, &ImportOwnText},
      {kFormatLivingCookbook, &ImportLivingCookbook},
      {kFormatMacGourmet, &ImportMacGourmet},
      {kFormatMastercookText, &ImportMastercookText},
      {kFormatMastercookXml, &ImportMastercookXml},
      {kFormatMealMaster, &ImportMealMaster},
      {kFormatNowYoureCooking, &ImportNowYoureCooking},
      {kFormatRecipeProcessor, &ImportRecipeProcessor},
      {kFormatRecipeMl, &ImportRecipeMl},
  };
}

}  // namespace pantrela
