// The e-book writer: an uncompressed Mobipocket book in a Palm database
// container, its HTML text holding a title page, a linked index of the
// recipe titles and one section per recipe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export/export_run.h"
#include "foundation/dates.h"

namespace pantrela {

inline constexpr const char* kVendorName = "Brackwell";
inline constexpr uint32_t kMobiRecordSize = 4096;

// The container around a finished book text: the record-0 area (Palm
// header, record list, PalmDOC, Mobipocket and EXTH headers, the full
// name), the text records, the two-zero record, FLIS, FCIS and the end
// record. `created` is seconds since 1970.
std::string MobiContainer(std::string_view text, std::string_view title, std::string_view author,
                          std::string_view webAddress, uint32_t created);

// The database name: the first 31 bytes of the title, spaces as "_".
std::string MobiDatabaseName(std::string_view title);

// "&", "<" and ">" as entities.
std::string HtmlEscape(std::string_view text);

// The book prompt; false when cancelled. Empty answers take the defaults.
bool AskMobiBook(Dialogs& dialogs, BookDetails& book);

// The clock and date of a book; tests fix them.
struct BookClock {
  uint32_t seconds = 0;  // since 1970, UTC
  Ymd today;
};
BookClock BookClockNow();

// The book of `index` (re-sorted by title) into `out`. Asks with the book
// prompt unless the job carries the details.
ExportStatus WriteMobiBook(ExportJob& job, const ExportIndex& index, ExportOutput& out, const BookClock& clock);

}  // namespace pantrela
