#include "export/mobi.h"

#include <algorithm>
#include <ctime>

#include "foundation/progress.h"
#include "foundation/context.h"
#include "foundation/numtext.h"
#include "foundation/wrap_text.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"

namespace pantrela {

namespace {

void Put16(std::string& b, size_t at, uint32_t v) {
  b[at] = char((v >> 8) & 0xFF);
  b[at + 1] = char(v & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (24 - 8 * i)) & 0xFF);
}
void Append16(std::string& b, uint32_t v) {
  b.append(2, '\0');
  Put16(b, b.size() - 2, v);
}
void Append32(std::string& b, uint32_t v) {
  b.append(4, '\0');
  Put32(b, b.size() - 4, v);
}
void PutText(std::string& b, size_t at, std::string_view t) { std::copy(t.begin(), t.end(), b.begin() + long(at)); }

std::string Publisher(std::string_view web) {
  return std::string(kProgramName) + " " + kVersionText + " (" + std::string(web) + ")";
}
std::string Description(std::string_view web) {
  return std::string("This cookbook was created with ") + kProgramName + " recipe software. " + kProgramName +
         " is available from " + kVendorName + " at " + std::string(web) + ".";
}

// The host of a web address: without its scheme and path.
std::string HostOf(std::string_view web) {
  const size_t scheme = web.find("://");
  if (scheme != std::string_view::npos) web.remove_prefix(scheme + 3);
  return std::string(web.substr(0, web.find('/')));
}

std::string TenDigits(uint64_t n) {
  std::string d = std::to_string(n);
  if (d.size() < 10) d.insert(0, 10 - d.size(), '0');
  return d;
}

const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string MobiDatabaseName(std::string_view title) {
  std::string name(title.substr(0, 31));
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
}

std::string MobiContainer(std::string_view text, std::string_view title, std::string_view author,
                          std::string_view webAddress, uint32_t created) {
  const std::string publisher = Publisher(webAddress);
  const std::string description = Description(webAddress);
  const uint32_t size = uint32_t(text.size());
  const uint32_t t = (size + kMobiRecordSize - 1) / kMobiRecordSize;
  const uint32_t n = t + 5;
  const size_t r = 78 + 8 * size_t(n) + 2;
  const size_t e = 8 * size_t(n) + 78 + (title.size() + 8) + (author.size() + 8) + (publisher.size() + 8) +
                   (description.size() + 8) + (4 + 8) + 256;
  const size_t h = std::max<size_t>(2800, 8 * ((e + 7) / 8) + 8);

  std::string b(h, '\0');
  // Palm database header.
  PutText(b, 0, MobiDatabaseName(title));
  Put32(b, 36, created);
  Put32(b, 40, created);
  PutText(b, 60, "BOOK");
  PutText(b, 64, "MOBI");
  Put32(b, 68, 11);
  Put16(b, 76, n);
  // Record list: record 0, the text records, then the four closing records.
  std::vector<uint32_t> offsets;
  offsets.push_back(uint32_t(r));
  for (uint32_t i = 0; i < t; ++i) offsets.push_back(uint32_t(h + size_t(i) * kMobiRecordSize));
  const uint32_t tail = uint32_t(h + size);
  for (uint32_t add : {0u, 2u, 2u + 36u, 2u + 36u + 44u}) offsets.push_back(tail + add);
  for (uint32_t i = 0; i < n; ++i) {
    Put32(b, 78 + 8 * size_t(i), offsets[i]);
    Put32(b, 78 + 8 * size_t(i) + 4, i);
  }
  // PalmDOC header.
  Put16(b, r + 0, 1);
  Put32(b, r + 4, size);
  Put16(b, r + 8, t);
  Put16(b, r + 10, kMobiRecordSize);
  // Mobipocket header.
  PutText(b, r + 16, "MOBI");
  Put32(b, r + 20, 232);
  Put32(b, r + 24, 2);
  Put32(b, r + 28, 1252);
  Put32(b, r + 36, 6);
  for (size_t i = 0; i < 10; ++i) Put32(b, r + 40 + 4 * i, 0xFFFFFFFF);
  Put32(b, r + 80, t);
  Put32(b, r + 88, uint32_t(title.size()));
  Put32(b, r + 92, 9);
  Put32(b, r + 104, 5);
  Put32(b, r + 108, t + 1);
  Put32(b, r + 128, 0x50);
  Put32(b, r + 164, 0xFFFFFFFF);
  Put32(b, r + 168, 0xFFFFFFFF);
  // No trailing entries: the text records end with text, so a reader told
  // they carry some would cut bytes off every record.
  Put16(b, r + 242, 0);
  Put32(b, r + 244, 0xFFFFFFFF);
  // EXTH block.
  std::string entries;
  auto entry = [&](uint32_t type, std::string_view data) {
    Append32(entries, type);
    Append32(entries, uint32_t(data.size() + 8));
    entries.append(data);
  };
  entry(100, author);
  entry(101, publisher);
  entry(103, description);
  entry(501, "EBOK");
  const size_t exthLength = (12 + entries.size() + 3) / 4 * 4;
  PutText(b, r + 248, "EXTH");
  Put32(b, r + 252, uint32_t(exthLength));
  Put32(b, r + 256, 4);
  PutText(b, r + 260, entries);
  const size_t nameAt = 260 + entries.size();
  Put32(b, r + 84, uint32_t(nameAt));
  PutText(b, r + nameAt, title);  // the zero after it is already there

  b.reserve(h + size + 2 + 36 + 44 + 4);
  b.append(text);
  b.append(2, '\0');
  // FLIS.
  b += "FLIS";
  Append32(b, 8);
  Append16(b, 65);
  Append16(b, 0);
  Append32(b, 0);
  Append32(b, 0xFFFFFFFF);
  Append16(b, 1);
  Append16(b, 3);
  Append32(b, 3);
  Append32(b, 1);
  Append32(b, 0xFFFFFFFF);
  // FCIS.
  b += "FCIS";
  for (uint32_t v : {20u, 16u, 1u, 0u, size, 0u, 32u, 8u}) Append32(b, v);
  Append16(b, 1);
  Append16(b, 1);
  Append32(b, 0);
  // End record.
  b += "\xE9\x8E\x0D\x0A";
  return b;
}

bool AskMobiBook(Dialogs& dialogs, BookDetails& book) {
  std::vector<FormField> fields(2);
  if (dialogs.Form("Enter a title and author for your book", "Book Title|Author", 1, "OK|Cancel", 50, fields) != 1)
    return false;
  fields.resize(2);
  book.title = fields[0].text;
  book.author = fields[1].text;
  return true;
}

BookClock BookClockNow() {
  BookClock c;
  c.seconds = uint32_t(std::time(nullptr));
  c.today = Today();
  return c;
}

ExportStatus WriteMobiBook(ExportJob& job, const ExportIndex& given, ExportOutput& out, const BookClock& clock) {
  Collection& c = job.collection;
  // Ordered by title alone.
  ExportIndex index = given;
  {
    std::vector<std::pair<std::string, uint32_t>> keyed;
    keyed.reserve(index.size());
    for (uint32_t e : index) {
      std::string key(textops::TrimSpaces(c.Entry(e).title()));
      textops::LowerInPlace(key);
      keyed.emplace_back(std::move(key), e);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i) index[i] = keyed[i].second;
  }

  BookDetails book;
  if (job.book) {
    book = *job.book;
  } else if (!AskMobiBook(job.dialogs, book)) {
    return ExportStatus::kCancelled;
  }
  if (book.title.empty()) book.title = std::string(kProgramName) + " Recipes";
  if (book.author.empty()) book.author = kVendorName;

  const std::string host = HostOf(job.style.webAddress);
  std::string html;
  html += "<html><head>";
  // The recipes are Windows-1252 text, as the header's code page says.
  html += "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\" /><guide></guide>";
  html += "</head><body>";
  html += "<br/><br/><br/><center><h1>" + HtmlEscape(book.title) + "</h1><br/>" + HtmlEscape(book.author) +
          "</center>";
  const int month = std::clamp(clock.today.month, 1, 12);
  html += "<br/><br/><br/><br/><br/><br/><center>Created " + std::string(kMonths + (month - 1) * 3, 3) + " " +
          std::to_string(clock.today.day) + ", " + std::to_string(clock.today.year) + "<br>Using " + kProgramName +
          " Recipe Software<br/>";
  html += "<a href=\"http://" + host + "\">" + host + "</a></center>";
  html += "<mbp:pagebreak/>";
  html += "<h2>Index</h2>";

  ExportStatus status = ExportStatus::kDone;
  ProgressScope progress(job.dialogs);
  const double n = double(index.size());
  static constexpr std::string_view kLinkStart = "<br/><a  filepos=";
  std::vector<size_t> links, sections;
  links.reserve(index.size());
  for (size_t k = 0; k < index.size(); ++k) {
    progress.Update("Exporting Index", "", double(k), n);
    links.push_back(html.size());
    html += kLinkStart;
    html += TenDigits(k) + " >" + HtmlEscape(c.Entry(index[k]).title()) + "</a><br/>";
    if (progress.Stop()) {
      status = ExportStatus::kStopped;
      break;
    }
  }
  html += "<mbp:pagebreak/>";
  // A typed key ends the step it falls in; the next one still runs.
  {
    const CurrentRecord saved = c.current();
    for (size_t k = 0; k < index.size(); ++k) {
      progress.Update("Exporting Recipes", "", double(k), n);
      c.LoadCurrent(uint64_t(c.Entry(index[k]).fileOffset()));
      const CurrentRecord& rec = c.current();
      sections.push_back(html.size());
      html += "<a ></a><h2>" + HtmlEscape(rec.title) + "</h2>";
      if (rec.servings() == 0 || rec.kind() == kKindInfo)
        html += "<br/>";
      else
        html += "<small>Serves " + Fmt(rec.servings()) + "</small><br/><br/>";
      if (rec.kind() == kKindRecipe) {
        for (std::string line : WrapTextLines(rec.ingredients, 78)) {
          line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
          const ParsedIngredient p = ParseIngredientLine(line, 1.0, job.style.ingredientFormat);
          html += HtmlEscape(FormatIngredientLine(p.quantity, p.unit, p.item)) + "<br/>";
        }
        html += "<br/>";
        for (const std::string& line : WrapTextLines(rec.directions, 72)) {
          if (textops::TrimSpaces(line).empty())
            html += "<br/><br/>";
          else
            html += HtmlEscape(line) + " ";
        }
      } else {
        html += "\r\n";
        for (const std::string& line : WrapTextLines(rec.directions, 72)) html += HtmlEscape(line) + " <br/>";
      }
      html += "<mbp:pagebreak/>";
      if (progress.Stop()) {
        status = ExportStatus::kStopped;
        break;
      }
    }
    c.current() = saved;
  }
  html += "</body></html>";

  // Back-patching: each link's placeholder digits become its section's
  // offset, in exactly as many bytes.
  for (size_t k = 0; k < std::min(links.size(), sections.size()); ++k) {
    progress.Update("Updating Index Pointers", "", double(k), n);
    const std::string digits = TenDigits(sections[k]);
    html.replace(links[k] + kLinkStart.size(), digits.size(), digits);
    if (progress.Stop()) {
      status = ExportStatus::kStopped;
      break;
    }
  }
  // The record count is a 16-bit field.
  if ((html.size() + kMobiRecordSize - 1) / kMobiRecordSize + 5 > 0xFFFF) return ExportStatus::kFailed;
  if (!out.Write(MobiContainer(html, book.title, book.author, job.style.webAddress, clock.seconds)))
    return ExportStatus::kFailed;
  return status;
}

}  // namespace pantrela
