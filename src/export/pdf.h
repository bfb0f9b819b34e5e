// The PDF cookbook: title and credits pages, the recipes chapter by chapter
// in two columns with photos, footers with page numbers and chapter names,
// and a title index with letter headings.
#pragma once

#include <string>
#include <string_view>

#include "export/export_run.h"
#include "export/mobi.h"

namespace pantrela {

struct PdfPageSize {
  const char* name;  // as the prompt's buttons and pantrela-cli name them
  double width, height, margin;
};
inline constexpr PdfPageSize kPdfPageSizes[3] = {{"6x9", 432, 648, 36}, {"8.5x11", 612, 792, 50}, {"A4", 595, 842, 50}};
// The size of a name (case does not matter), nullptr when there is none.
const PdfPageSize* PdfPageSizeNamed(std::string_view name);

// How a recipe's lines are set: side by side (ingredients left, directions
// right) when the two counts differ by 10 or less, otherwise flowing
// through both columns.
struct PdfRows {
  bool sideBySide;
  int rows;
  int remaining;
};
PdfRows PdfRecipeRows(int ingredientLines, int directionLines);

// A photo's box in points: w x h pixels, scaled to at most 192 high and the
// text width wide.
void PdfPhotoBox(int w, int h, double textWidth, int& boxWidth, int& boxHeight);

// The caution for a book of `pages` pages, "" below 400.
std::string PdfPageCaution(int pages);

// The font files: Liberation Serif, its bold, and Liberation Sans Bold.
struct PdfFontFiles {
  std::string times, timesBold, arialBold;
};
// False when any cannot be found.
bool FindPdfFonts(PdfFontFiles& files);

inline constexpr const char* kPdfFontsMissing =
    "Unable to create PDF file.||One or more of the system fonts is missing.|(Arialbd.ttf, Times.ttf, Timesbd.ttf)";

// The book prompt; false when cancelled. `book.pageSize` takes the button's name.
bool AskPdfBook(Dialogs& dialogs, BookDetails& book);

// The cookbook of `index` (chapter-then-title order) into `out`.
// `pages` receives the page count.
ExportStatus WritePdfBook(ExportJob& job, const ExportIndex& index, ExportOutput& out, const BookClock& clock,
                          int* pages = nullptr);

}  // namespace pantrela
