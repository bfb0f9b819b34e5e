// Import formats: the fixed list of codes and labels, detection of a file's
// format from marker strings, unpacking of zipped Mastercook files, and the
// reader contract every format reader follows.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace pantrela {

struct AppContext;
class RecipeBuilder;

// Format codes (7, 9 and 13 are unused).
enum ImportFormat : int {
  kFormatDetect = 0,
  kFormatManual = 1,
  kFormatInfoText = 2,
  kFormatAccuChef = 3,
  kFormatBigOven = 4,
  kFormatComputerChef = 5,
  kFormatComputerCuisine = 6,
  kFormatCookbookWizard = 8,
  kFormatCookwareDeluxe = 10,
  kFormatEdnas = 11,
  kFormatFromScratch = 12,
  kFormatOwnText = 14,
  kFormatLivingCookbook = 15,
  kFormatMacGourmet = 16,
  kFormatMastercookText = 17,
  kFormatMastercookXml = 18,
  kFormatMealMaster = 19,
  kFormatNowYoureCooking = 20,
  kFormatRecipeProcessor = 21,
  kFormatRecipeMl = 22,
};

// All entries joined by "|": each the code in two digits and the label
// ('00-Detect format automatically').
const std::string& ImportFormatListText();
// The number of entries; with a valid 0-based index, `entry` gets that entry.
int ImportFormatList(int index, std::string& entry);
// The code of an entry: the value of its first two characters.
int ImportFormatCode(const std::string& entry);

// Sets `format` from the markers in the file's first 100000 bytes (lower
// case, trimmed); a missing file or no matching rule leaves it unchanged.
// A zip archive named *.mz2 goes through ExtractMz2, which may replace
// `file` by the extracted .mx2 file.
void DetectImportFormat(AppContext& ctx, std::string& file, int& format);

// Unpacks the first .mx2 file (by name) of a zip archive into the data
// folder's "temp/" folder; the other entries are only logged. Entry names
// are reduced to their last path component, so nothing is written outside
// that folder, and an entry larger than 64 MB is refused with a message.
// When the .mx2 file is there, `file` becomes its full path and `format` 18.
void ExtractMz2(AppContext& ctx, std::string& file, int& format);

// The reader contract. A reader opens the file itself, shows the progress
// window with its own caption and `label` ('File 2 of 5' or ""), stores every
// recipe it finds through the builder, leaves the chapter and record ID of
// the last stored recipe in `chapter` and `recordId`, and sets `cancel` when
// the user pressed the space bar. It stops early when the program is closing.
using FormatReader = void (*)(RecipeBuilder& builder, const std::string& file, const std::string& label,
                              int64_t& chapter, int64_t& recordId, bool& cancel);

// The readers there are, by format code.
std::map<int, FormatReader> ImportReaders();

}  // namespace pantrela
