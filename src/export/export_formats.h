// The export formats: fixed codes (the settings store the code), the entries
// of the three format lists, their match tokens and file extensions, and the
// name rules of an export file.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela {

enum ExportFormat : int {
  kExportOwnText = 0,
  kExportMealMaster = 1,
  kExportMastercook = 2,
  kExportRecipeMl = 3,
  kExportMobi = 4,
  kExportRecipeIndex = 5,
  kExportGeneric = 6,
  kExportPdf = 7,
};
inline constexpr int kExportFormatCount = 8;

struct ExportFormatInfo {
  int code;
  const char* entry;    // as shown in the file and e-mail list
  const char* token;    // an entry containing it (lower case) means this code
  const char* ext;      // file extension
  const char* cliName;  // pantrela-cli export --format NAME
};

// By code.
extern const std::array<ExportFormatInfo, kExportFormatCount> kExportFormats;

// The lists as shown, "|"-joined.
inline constexpr const char* kFileFormatList =
    "Pantrela|Meal-Master|Mastercook|RecipeML|MOBI (Kindle and other ereaders)|Recipe Index (Titles Only)|"
    "Generic Text|PDF Cookbook";
inline constexpr const char* kFileExtensionList = "qx,txt,txt,xml,mobi,txt,txt,pdf";
inline constexpr const char* kClipboardFormatList =
    "Pantrela|Meal-Master|Mastercook|Generic Text|Recipe Index (Titles Only)";
inline constexpr const char* kTabletFormatList = "MOBI - Best for Kindle Fire|PDF - Best for iPad and other tablets";

// Splits a "|"-joined list (an empty text gives one empty entry).
std::vector<std::string> SplitBarList(std::string_view list);

// The code of a list entry: the first code, in code order, whose token the
// lower-cased entry contains; 0 when none does.
int FormatCodeOfEntry(std::string_view entry);
// The position (from 0) of the first entry of `entries` that contains the
// token of `code`; 0 when none does (or the code is unknown).
int EntryIndexOfCode(int code, const std::vector<std::string>& entries);
// The extension of the chosen position (from 0) of the file list, "" outside it.
std::string ExtensionOfPosition(int position);
// The code of a pantrela-cli format name, -1 when there is none.
int FormatCodeOfCliName(std::string_view name);

// The export file name for what the user typed: spaces trimmed, empty gives
// "recipes"; without a "." the extension is appended, otherwise everything
// after the last "." is replaced by it ('menu.old' -> 'menu.txt').
// `fallback` is the name used when nothing was typed.
std::string ExportFileName(std::string_view entered, std::string_view ext, std::string_view fallback = "recipes");

}  // namespace pantrela
