#include "export/pdf.h"

#include <fontconfig/fontconfig.h>
#include <hpdf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "database/photo.h"
#include "foundation/progress.h"
#include "foundation/context.h"
#include "foundation/numtext.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"

namespace pantrela {

const PdfPageSize* PdfPageSizeNamed(std::string_view name) {
  std::string lower(name);
  textops::LowerInPlace(lower);
  for (const PdfPageSize& s : kPdfPageSizes) {
    std::string n(s.name);
    textops::LowerInPlace(n);
    if (n == lower) return &s;
  }
  return nullptr;
}

PdfRows PdfRecipeRows(int ingredientLines, int directionLines) {
  PdfRows r;
  r.remaining = ingredientLines + directionLines + 1;
  r.sideBySide = std::abs(ingredientLines - directionLines) <= 10;
  r.rows = r.sideBySide ? std::max(ingredientLines, directionLines) : (r.remaining + 1) / 2;
  return r;
}

void PdfPhotoBox(int w, int h, double textWidth, int& boxWidth, int& boxHeight) {
  boxWidth = w;
  boxHeight = h;
  if (w <= 0 || h <= 0) return;
  if (h > 192 || w > textWidth) {
    const double s = std::min(192.0 / h, textWidth / w);
    boxWidth = int(std::lround(w * s));
    boxHeight = int(std::lround(h * s));
  }
}

std::string PdfPageCaution(int pages) {
  if (pages < 400) return {};
  return "Caution||Your cookbook has " + Fmt(pages) + " pages!||Most book printers recommend less than 400 pages|" +
         "for printed books.  Larger recipe collections should|be published as several smaller books.";
}

namespace {

std::string FontFile(const char* family, const char* style) {
  std::string file;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pat, FC_STYLE, reinterpret_cast<const FcChar8*>(style));
  FcObjectSet* os = FcObjectSetBuild(FC_FILE, nullptr);
  if (FcFontSet* set = FcFontList(nullptr, pat, os)) {
    for (int i = 0; i < set->nfont && file.empty(); ++i) {
      FcChar8* f = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &f) == FcResultMatch) {
        std::string path(reinterpret_cast<const char*>(f));
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".ttf") == 0) file = path;
      }
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  return file;
}

}  // namespace

bool FindPdfFonts(PdfFontFiles& files) {
  files.timesBold = FontFile("Liberation Serif", "Bold");
  files.arialBold = FontFile("Liberation Sans", "Bold");
  files.times = FontFile("Liberation Serif", "Regular");
  return !files.timesBold.empty() && !files.arialBold.empty() && !files.times.empty();
}

bool AskPdfBook(Dialogs& dialogs, BookDetails& book) {
  std::vector<FormField> fields(3);
  const int button = dialogs.Form("Enter a title and author for your book.|Then click on the desired page size.",
                                  "Book Title|Subtitle|Author", 1, "6x9|8.5x11|A4|Cancel", 50, fields);
  if (button < 1 || button > 3) return false;
  fields.resize(3);
  book.title = fields[0].text;
  book.subtitle = fields[1].text;
  book.author = fields[2].text;
  book.pageSize = kPdfPageSizes[button - 1].name;
  return true;
}

namespace {

const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

void OnHpdfError(HPDF_STATUS error, HPDF_STATUS detail, void* data);

struct Style {
  HPDF_Font font;
  double size;
  double lineHeight;
};

class Layout {
 public:
  Layout(Dialogs& dialogs, const PdfPageSize& size) : dialogs_(dialogs), size_(size) {}
  ~Layout() {
    if (doc) HPDF_Free(doc);
  }

  bool Start(const PdfFontFiles& files) {
    doc = HPDF_New(OnHpdfError, &dialogs_);
    if (!doc) return false;
    HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
    auto load = [&](const std::string& file) -> HPDF_Font {
      const char* name = HPDF_LoadTTFontFromFile(doc, file.c_str(), HPDF_TRUE);
      // Windows-1252, the encoding of every stored text.
      return name ? HPDF_GetFont(doc, name, "CP1252") : nullptr;
    };
    HPDF_Font times = load(files.times), timesBold = load(files.timesBold), arialBold = load(files.arialBold);
    if (!times || !timesBold || !arialBold) return false;
    auto style = [](HPDF_Font f, double size) { return Style{f, size, std::round(size * 90 * 0.01389)}; };
    styles_ = {{"title", style(arialBold, 13)}, {"chapter", style(arialBold, 16)}, {"book", style(arialBold, 28)},
               {"author", style(times, 18)},    {"bold", style(timesBold, 11)},    {"body", style(times, 11)}};
    return true;
  }

  void Select(const char* name) {
    auto it = styles_.find(name);
    cur_ = it == styles_.end() ? styles_.at("body") : it->second;
    if (page) HPDF_Page_SetFontAndSize(page, cur_.font, HPDF_REAL(cur_.size));
  }
  double LineHeight() const { return cur_.lineHeight; }
  double Width(const Style& s, std::string_view t) const {
    const HPDF_TextWidth w = HPDF_Font_TextWidth(s.font, reinterpret_cast<const HPDF_BYTE*>(t.data()), HPDF_UINT(t.size()));
    return double(w.width) * s.size / 1000.0;
  }
  double Width(std::string_view t) const { return Width(cur_, t); }

  // The cutting rule of the text blocks and line lists.
  template <class Measure>
  static std::vector<std::string> Cut(std::string_view text, double width, Measure measure) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t lastSpace = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '\r' || c == '|') {
        lines.emplace_back(text.substr(start, i - start));
        start = i + 1;
        lastSpace = std::string_view::npos;
        continue;
      }
      if (c == ' ') lastSpace = i;
      const bool last = i + 1 == text.size();
      if (last || measure(text.substr(start, i + 1 - start)) >= width) {
        if (lastSpace != std::string_view::npos && !last) {
          lines.emplace_back(text.substr(start, lastSpace - start));
          start = lastSpace + 1;
        } else {
          lines.emplace_back(text.substr(start, i + 1 - start));
          start = i + 1;
        }
        lastSpace = std::string_view::npos;
      }
    }
    return lines;
  }

  std::vector<std::string> WrapToWidth(std::string_view text, double width) const {
    const Style& bold = styles_.at("bold");
    const Style& body = styles_.at("body");
    return Cut(text, width, [&](std::string_view c) { return Width(IsHeadingLine(c) ? bold : body, c); });
  }

  void Out(double at, std::string_view line) {
    const std::string t(line.substr(0, line.find('\0')));
    HPDF_Page_BeginText(page);
    HPDF_Page_TextOut(page, HPDF_REAL(at), HPDF_REAL(y), t.c_str());
    HPDF_Page_EndText(page);
  }

  // align 0 left, 1 right, 2 centred, 3 measure only.
  double DrawTextBlock(std::string_view text, double x1, double x2, int align) {
    const double startY = y;
    double used = 0;
    if (text.empty()) {
      y -= LineHeight();
    } else {
      for (const std::string& line : Cut(text, x2 - x1, [&](std::string_view c) { return Width(c); })) {
        if (align != 3) {
          const double w = Width(line);
          Out(align == 0 ? x1 : align == 1 ? x2 - w : x1 + (x2 - x1 - w) / 2, line);
        }
        y -= LineHeight();
        used += LineHeight();
      }
    }
    if (align == 3) y = startY;
    return used;
  }

  void NewPage() {
    ++pageNo;
    Select("title");
    const bool odd = pageNo % 2 == 1;
    left = odd ? size_.margin + kGutter : size_.margin;
    right = odd ? size_.width - size_.margin : size_.width - size_.margin - kGutter;
    columnWidth = std::floor((right - left) / 2) - 9;
    top = size_.height - size_.margin;
    bottom = LineHeight() + size_.margin;
    page = HPDF_AddPage(doc);
    HPDF_Page_SetWidth(page, HPDF_REAL(size_.width));
    HPDF_Page_SetHeight(page, HPDF_REAL(size_.height));
    x = left;
    Select("bold");
    y = size_.margin;
    const std::string number = Fmt(pageNo);
    if (odd) {
      Out(right - Width(number), number);
      Out(right - 26 - Width(footer), footer);
    } else {
      Out(left, number);
      Out(left + 26, footer);
    }
    y = top;
    Select("body");
  }

  void LineBreakCheck() {
    if (y > columnLimit && y > bottom) return;
    if (columnMode == 1) {
      NewPage();
      x = left;
      columnTop = y;
      columnLimit = y - LineHeight() * remaining;
    } else if (x == left) {
      x = right - columnWidth;
      y = columnTop;
    } else {
      NewPage();
      x = left;
      columnTop = y;
      columnLimit = y - LineHeight() * std::ceil(remaining / 2.0);
    }
  }

  static constexpr double kGutter = 27;
  HPDF_Doc doc = nullptr;
  HPDF_Page page = nullptr;
  int pageNo = 0;
  std::string footer;
  double left = 0, right = 0, top = 0, bottom = 0, columnWidth = 0;
  double x = 0, y = 0, columnTop = 0, columnLimit = 0;
  int columnMode = 1;
  int remaining = 0;

 private:
  Dialogs& dialogs_;
  PdfPageSize size_;
  std::unordered_map<std::string, Style> styles_;
  Style cur_{};
};

void OnHpdfError(HPDF_STATUS error, HPDF_STATUS detail, void* data) {
  const auto forms = [](HPDF_STATUS n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %lu [&H%lX]", static_cast<unsigned long>(n), static_cast<unsigned long>(n));
    return std::string(buf);
  };
  static_cast<Dialogs*>(data)->Message("Error number = " + forms(error) + "|Detail number = " + forms(detail), "OK",
                                       1);
}

// Bytes up to 32 (spaces and control characters) off both ends.
std::string_view TrimLow(std::string_view t) {
  while (!t.empty() && uint8_t(t.front()) <= 32) t.remove_prefix(1);
  while (!t.empty() && uint8_t(t.back()) <= 32) t.remove_suffix(1);
  return t;
}

bool ColonLast(std::string_view line) {
  const size_t colon = line.find(':');
  return colon != std::string_view::npos && colon + 1 == line.size();
}

// The upper case of a Windows-1252 letter.
std::string UpperLetter(const std::string& s) {
  if (s.empty()) return s;
  const uint8_t b = uint8_t(s[0]);
  if (b >= 'a' && b <= 'z') return std::string(1, char(b - 32));
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return std::string(1, char(b - 32));
  if (b == 0x9A || b == 0x9C || b == 0x9E) return std::string(1, char(b - 16));
  if (b == 0xFF) return "\x9F";
  return s;
}

std::string AmountText(int64_t q) {
  const int64_t wholeN = q >= 0 ? q / 100 : -((-q + 99) / 100);
  std::string whole = Fmt(wholeN);
  std::string fraction = FormatQuantity(double(q) / 100.0 - double(wholeN));
  if (whole == "0") whole.clear();
  if (fraction == "0") fraction.clear();
  if (!whole.empty() && !fraction.empty()) return whole + "-" + fraction;
  return whole.empty() ? fraction : whole;
}

}  // namespace

ExportStatus WritePdfBook(ExportJob& job, const ExportIndex& index, ExportOutput& out, const BookClock& clock,
                          int* pages) {
  Collection& c = job.collection;
  PdfFontFiles fonts;
  if (!FindPdfFonts(fonts)) {
    job.dialogs.Message(kPdfFontsMissing, "OK", 1);
    return ExportStatus::kCancelled;
  }
  BookDetails book;
  if (job.book) {
    book = *job.book;
  } else if (!AskPdfBook(job.dialogs, book)) {
    return ExportStatus::kCancelled;
  }
  const PdfPageSize* size = PdfPageSizeNamed(book.pageSize);
  if (!size) size = &kPdfPageSizes[0];
  Layout L(job.dialogs, *size);
  if (!L.Start(fonts)) {
    job.dialogs.Message("Error: Unable to initialize PDF document", "OK", 1);
    return ExportStatus::kCancelled;
  }

  std::vector<int> pageOf(index.size(), 0);
  {
    ProgressScope progress(job.dialogs);
    // Title page.
    L.NewPage();
    L.Select("book");
    L.y = 0.8 * (L.top - L.bottom);
    L.DrawTextBlock(book.title, L.left, L.right, 2);
    L.Select("chapter");
    L.y -= 18;
    L.DrawTextBlock(book.subtitle, L.left, L.right, 2);
    L.Select("author");
    L.y = 0.3 * (L.top - L.bottom);
    L.DrawTextBlock(book.author, L.left, L.right, 2);
    // Credits page.
    L.NewPage();
    L.Select("body");
    L.y = 0.7 * (L.top - L.bottom);
    const int month = std::clamp(clock.today.month, 1, 12);
    char day[8];
    std::snprintf(day, sizeof day, "%02d", std::clamp(clock.today.day, 0, 99));
    L.DrawTextBlock("This cookbook was created " + std::string(kMonths + (month - 1) * 3, 3) + " " + day + ", " +
                        std::to_string(clock.today.year) + "\r\rUsing " + kProgramName + " Recipe Software\rVersion " +
                        kVersionText + "\r" + job.style.webAddress,
                    L.left, L.right, 2);

    const CurrentRecord saved = c.current();
    int64_t previousChapter = -1;
    bool first = true;
    for (size_t k = 0; k < index.size(); ++k) {
      progress.Update("Exporting Recipes", "", double(k), double(index.size()));
      EntryView v = c.Entry(index[k]);
      c.LoadCurrent(uint64_t(v.fileOffset()));
      const CurrentRecord& rec = c.current();
      const std::string ingredients(TrimLow(rec.ingredients)), directions(TrimLow(rec.directions));
      const int kind = rec.kind();
      L.columnMode = kind == kKindRecipe ? 2 : 1;
      const std::string serves =
          rec.servings() == 0 || kind == kKindInfo ? std::string() : "  Serves " + Fmt(rec.servings());
      L.Select("title");
      const double sw = L.Width(serves);
      const double titleHeight = L.DrawTextBlock(rec.title, L.left, L.right - sw, 3);
      // Photo.
      int pw = 0, ph = 0;
      HPDF_Image image = nullptr;
      if (!rec.photo.empty()) {
        int w = 0, h = 0;
        std::string rgb;
        if (PhotoToRgb(c.ctx(), rec.photo, w, h, rgb) && w > 0 && h > 0 &&
            rgb.size() == size_t(w) * size_t(h) * 3) {
          image = HPDF_LoadRawImageFromMem(L.doc, reinterpret_cast<const HPDF_BYTE*>(rgb.data()), HPDF_UINT(w),
                                           HPDF_UINT(h), HPDF_CS_DEVICE_RGB, 8);
          if (image) PdfPhotoBox(w, h, L.right - L.left, pw, ph);
        } else {
          c.ctx().Log("PDF Cookbook: the photo of \"" + rec.title + "\" could not be read and was left out");
        }
      }
      L.Select("body");
      const double amountColumn = L.Width("22-1/2 ");
      std::vector<std::string> ingredientLines, directionLines;
      int rows;
      bool sideBySide = false;
      if (kind == kKindRecipe) {
        ingredientLines = L.WrapToWidth(ingredients, L.columnWidth - amountColumn);
        directionLines = L.WrapToWidth(directions, L.columnWidth);
        const PdfRows r = PdfRecipeRows(int(ingredientLines.size()), int(directionLines.size()));
        L.remaining = r.remaining;
        rows = r.rows;
        sideBySide = r.sideBySide;
      } else {
        directionLines = L.WrapToWidth(directions, L.right - L.left);
        L.remaining = rows = int(directionLines.size());
      }
      const double needed = (1 + rows) * L.LineHeight() + ph + titleHeight;
      const int64_t chapter = v.chapterKey();
      if (first || chapter != previousChapter) {
        L.footer = c.ChapterNameByKey(chapter);
        L.NewPage();
        L.Select("book");
        L.DrawTextBlock(L.footer, L.left, L.right, 2);
        L.y -= 30;
      } else if (L.y - needed < L.bottom) {
        L.NewPage();
      }
      first = false;
      previousChapter = chapter;
      L.columnLimit = L.y - needed;
      pageOf[k] = L.pageNo;
      L.Select("title");
      L.DrawTextBlock(rec.title, L.left, L.right - sw, 0);
      const double afterTitle = L.y;
      // A rule under the title.
      HPDF_Page_SetLineWidth(L.page, 1);
      HPDF_Page_MoveTo(L.page, HPDF_REAL(L.left), HPDF_REAL(afterTitle + 12));
      HPDF_Page_LineTo(L.page, HPDF_REAL(L.right), HPDF_REAL(afterTitle + 12));
      HPDF_Page_Stroke(L.page);
      L.Select("body");
      // The servings on the title's line.
      L.y = afterTitle + L.LineHeight() + 3;
      if (!serves.empty()) L.DrawTextBlock(serves, L.left, L.right, 1);
      L.y = afterTitle - L.LineHeight() / 2;
      if (image) {
        HPDF_Page_DrawImage(L.page, image, HPDF_REAL(std::floor((L.right - L.left) / 2) + L.left - pw / 2.0),
                            HPDF_REAL(L.y - ph + L.LineHeight() / 2), HPDF_REAL(pw), HPDF_REAL(ph));
        HPDF_Page_SetLineWidth(L.page, 0.6f);
        HPDF_Page_SetRGBStroke(L.page, 0.6f, 0.6f, 0.6f);
        HPDF_Page_Rectangle(L.page, HPDF_REAL(std::floor((L.right - L.left) / 2) + L.left - pw / 2.0),
                            HPDF_REAL(L.y - ph + L.LineHeight() / 2), HPDF_REAL(pw), HPDF_REAL(ph));
        HPDF_Page_Stroke(L.page);
        HPDF_Page_SetRGBStroke(L.page, 0, 0, 0);
        L.y -= ph + L.LineHeight();
      }
      L.columnTop = L.y;
      L.x = L.left;
      for (const std::string& line : ingredientLines) {
        L.LineBreakCheck();
        if (ColonLast(line)) {
          L.Select("bold");
          L.DrawTextBlock(line, L.x, L.right, 0);
          L.Select("body");
        } else {
          const ParsedIngredient p = ParseIngredientLine(line, 1.0, job.style.ingredientFormat);
          const std::string amount = AmountText(p.quantity) + " ";
          const double at = L.y;
          L.DrawTextBlock(amount, L.x, L.x + amountColumn, 1);
          L.y = at;
          std::string rest(textops::TrimSpaces(p.unit + " " + p.item));
          L.DrawTextBlock(rest, L.x + amountColumn, L.right, 0);
        }
        --L.remaining;
      }
      if (kind == kKindRecipe) {
        L.y -= L.LineHeight();
        --L.remaining;
        if (sideBySide) {
          L.y = L.columnLimit;
          L.LineBreakCheck();
        }
      }
      for (const std::string& line : directionLines) {
        L.LineBreakCheck();
        const bool bold = ColonLast(line);
        if (bold) L.Select("bold");
        L.DrawTextBlock(line, L.x, L.right, 0);
        if (bold) L.Select("body");
        --L.remaining;
      }
      L.y = L.columnLimit - 2 * L.LineHeight();
    }
    c.current() = saved;
  }

  // The index, in title order.
  std::vector<std::pair<std::string, size_t>> byTitle;
  for (size_t k = 0; k < index.size(); ++k) {
    std::string key(textops::TrimSpaces(c.Entry(index[k]).title()));
    textops::LowerInPlace(key);
    byTitle.emplace_back(std::move(key), k);
  }
  std::stable_sort(byTitle.begin(), byTitle.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  {
    ProgressScope progress(job.dialogs);
    const auto heading = [&] {
      L.Select("book");
      L.DrawTextBlock("Index", L.left, L.right, 2);
      L.columnTop = L.y;
      L.Select("body");
    };
    L.footer = "Index";
    L.NewPage();
    L.x = L.left;
    L.y = L.top;
    L.columnMode = 2;
    heading();
    std::string previousLetter;
    for (size_t i = 0; i < byTitle.size(); ++i) {
      progress.Update("Exporting Index", "", double(i), double(byTitle.size()));
      const size_t k = byTitle[i].second;
      const std::string text = std::string(c.Entry(index[k]).title()) + ", " + Fmt(pageOf[k]);
      std::string letter = text.substr(0, 1);
      letter = UpperLetter(letter);
      std::string letterHeading;
      double letterHeight = 0;
      if (letter != previousLetter) {
        letterHeading = L.y == L.columnTop ? letter : "|" + letter;
        L.Select("title");
        letterHeight = L.DrawTextBlock(letterHeading, L.x, L.x + L.columnWidth, 3);
        L.Select("body");
      }
      const double textHeight = L.DrawTextBlock(text, L.x, L.x + L.columnWidth, 3);
      if (!(L.y - textHeight - letterHeight > L.bottom)) {
        if (L.x == L.left) {
          L.x = L.right - L.columnWidth;
        } else {
          L.NewPage();
          heading();
          L.x = L.left;
        }
        L.y = L.columnTop;
        if (!letterHeading.empty()) letterHeading = letter;
      }
      if (!letterHeading.empty()) {
        L.Select("title");
        L.DrawTextBlock(letterHeading, L.x, L.x + L.columnWidth, 0);
        L.Select("body");
      }
      L.DrawTextBlock(text, L.x, L.x + L.columnWidth, 0);
      previousLetter = letter;
    }
  }

  if (HPDF_SaveToStream(L.doc) != HPDF_OK) return ExportStatus::kFailed;
  HPDF_ResetStream(L.doc);
  std::string bytes;
  for (;;) {
    HPDF_BYTE buf[65536];
    HPDF_UINT32 n = sizeof buf;
    const HPDF_STATUS st = HPDF_ReadFromStream(L.doc, buf, &n);
    bytes.append(reinterpret_cast<const char*>(buf), n);
    if (st == HPDF_STREAM_EOF) break;
    if (st != HPDF_OK) return ExportStatus::kFailed;
  }
  if (!out.Write(bytes)) return ExportStatus::kFailed;
  if (pages) *pages = L.pageNo;
  const std::string caution = PdfPageCaution(L.pageNo);
  if (!caution.empty()) job.dialogs.Message(caution, "OK", 1);
  return ExportStatus::kDone;
}

}  // namespace pantrela
