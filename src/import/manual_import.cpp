#include "import/manual_import.h"

#include <algorithm>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/text_ops.h"
#include "web/entities.h"

namespace pantrela {
namespace {

std::string CleanLine(std::string text) {
  DecodeEntities(text);
  size_t lead = text.find_first_not_of(" #-+~|");
  text.erase(0, lead == std::string::npos ? text.size() : lead);
  textops::TrimSpacesInPlace(text);
  if (text.size() > kManualLineMax) text.resize(kManualLineMax);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

bool LoadManualLines(AppContext& ctx, const std::string& file, int listWidth,
                     const std::function<int(unsigned char)>& byteWidth, ManualLines& out) {
  out = ManualLines{};
  if (!Exists(file)) return false;
  std::string data;
  {
    File f = File::Open('i', file);
    data = f.ReadBytes(int64_t(std::min<uint64_t>(f.Size(), kManualBytesMax)));
  }
  ProgressScope progress(ctx);
  const int wrapWidth = listWidth - 20;
  const size_t n = data.size();
  size_t pos = 0;
  bool stopped = false;
  while (pos < n) {
    if (progress.Step("Loading Manual Import", "Press space bar to cancel", double(pos), double(n))) {
      stopped = true;
      break;
    }
    size_t end = n, next = n;
    int width = 0;
    size_t lastSpace = std::string::npos;
    for (size_t i = pos; i < n; ++i) {
      const char c = data[i];
      if (c == '\r') {
        end = i;
        next = i + 1 < n && data[i + 1] == '\n' ? i + 2 : i + 1;
        break;
      }
      if (c == '\n') {
        end = i;
        next = i + 1;
        break;
      }
      if (c == ' ') lastSpace = i;
      width += byteWidth ? byteWidth((unsigned char)c) : 8;
      if (width >= wrapWidth || i - pos + 1 >= kManualLineMax) {
        // Wrapped after its last space (which stays), or at this byte.
        end = lastSpace != std::string::npos ? lastSpace + 1 : i + 1;
        next = end;
        break;
      }
    }
    std::string text = CleanLine(data.substr(pos, end - pos));
    pos = next;
    const bool blank = text.empty();
    if (blank && (out.lines.empty() || out.lines.back().text.empty())) continue;
    out.lines.push_back({kMarkNone, std::move(text)});
  }
  progress.Close();
  if (stopped) {
    out = ManualLines{};
    return false;
  }
  return true;
}

int MarkedSegments(const ManualLines& lines) {
  int bits = 0;
  for (const ManualLine& l : lines.lines) {
    if (l.mark == kMarkTitle) bits |= 1;
    else if (l.mark == kMarkIngredients) bits |= 2;
    else if (l.mark == kMarkDirections) bits |= 4;
    if (bits == 7) break;
  }
  return bits;
}

const char* MissingSegmentMessage(const ManualLines& lines) {
  const int bits = MarkedSegments(lines);
  if (!(bits & 1)) return "You have not defined a title segment";
  if (!(bits & 2)) return "You have not defined an ingredients segment";
  if (!(bits & 4)) return "You have not defined a directions segment";
  return nullptr;
}

void ClearMarks(ManualLines& lines) {
  for (ManualLine& l : lines.lines) l.mark = kMarkNone;
}

int64_t SaveMarkedRecipe(RecipeBuilder& b, const ManualLines& lines, int64_t& chapter, int64_t& recordId) {
  // A photo already given to the recipe being built stays with it.
  std::string photo = std::move(b.record().photo);
  b.ResetImportRecipe();
  b.record().photo = std::move(photo);
  std::string title;
  int servings = 0;
  for (const ManualLine& l : lines.lines) {
    const bool blank = textops::TrimSpaces(l.text).empty();
    switch (l.mark) {
      case kMarkTitle:
        title += " " + l.text;
        break;
      case kMarkYield:
        servings = LeadingInteger(l.text);
        break;
      case kMarkIngredients:
        b.AddIngredientText(blank ? std::string("\r\r") : std::string(textops::TrimSpaces(l.text)) + "\r");
        break;
      case kMarkDirections:
        // An empty piece is the paragraph break (CR CR), without the space
        // that joins pieces of one paragraph.
        b.AddDirectionText(blank ? std::string() : l.text);
        break;
    }
  }
  CollapseSpaces(title);
  if (title.size() > 80) title.resize(80);
  int64_t ch = 0;
  const int64_t id = b.StoreImportedRecipe("", title, "", servings, ch);
  if (id != 0) {
    chapter = ch;
    recordId = id;
  }
  b.ResetImportRecipe();
  return id;
}

ManualImportSession::ManualImportSession(RecipeBuilder& builder, ManualLines& lines) : b_(builder), lines_(lines) {}

std::string ManualImportSession::Instruction() const {
  const int bits = MarkedSegments(lines_);
  if (!(bits & 1)) return "Highlight the line containing the recipe title, then click the Title button.";
  if (!(bits & 2)) return "Highlight the lines containing the recipe ingredients, then click the Ingredient button.";
  if (!(bits & 4)) return "Highlight the lines containing the recipe directions, then click the Directions button.";
  return "Click the Save button to import the marked lines.";
}

std::string ManualImportSession::Status() const { return Plain(int64_t(saved_)) + " Recipes Saved"; }

bool ManualImportSession::AskToSaveMarked() {
  if (MarkedSegments(lines_) != 7) return false;
  if (b_.ctx().dialogs().Message("A recipe is currently marked.|Do you want to save it?", "OK|Cancel", 1) != 1)
    return false;
  SaveNow();
  return true;
}

void ManualImportSession::SaveNow() {
  if (SaveMarkedRecipe(b_, lines_, chapter, recordId) != 0) ++saved_;
  ClearMarks(lines_);
}

void ManualImportSession::Mark(ManualMark mark) {
  if (lines_.lines.empty()) return;
  if (mark == kMarkTitle) AskToSaveMarked();
  const int lo = std::clamp(lines_.SelectionLow(), 0, lines_.count() - 1);
  const int hi = std::clamp(lines_.SelectionHigh(), 0, lines_.count() - 1);
  for (int i = lo; i <= hi; ++i) lines_.lines[size_t(i)].mark = mark;
}

void ManualImportSession::ClearAll() {
  ClearMarks(lines_);
  b_.record().photo.clear();
}

bool ManualImportSession::Save() {
  if (const char* missing = MissingSegmentMessage(lines_)) {
    b_.ctx().dialogs().Message(missing, "OK", 1);
    return false;
  }
  const int before = saved_;
  SaveNow();
  lines_.anchor = lines_.current;
  return saved_ > before;
}

void ManualImportSession::Finish() { AskToSaveMarked(); }

void ManualImportSession::EditLine() {
  if (lines_.lines.empty()) return;
  const int at = std::clamp(lines_.SelectionLow(), 0, lines_.count() - 1);
  ManualLine& line = lines_.lines[size_t(at)];
  std::vector<FormField> fields(1);
  fields[0].text = line.text;
  if (b_.ctx().dialogs().Form("Edit Line - " + Spaced(int64_t(150)), "", 1, "OK|Cancel", 100 + int(kManualLineMax), fields) != 1)
    return;
  std::string text = fields.empty() ? std::string() : fields[0].text;
  if (text.size() > kManualLineMax) text.resize(kManualLineMax);
  line.text = std::move(text);
}

void ManualImport(RecipeBuilder& builder, ManualImportView& view, const std::string& file, int64_t& chapter,
                  int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ManualLines lines;
  if (!LoadManualLines(builder.ctx(), file, view.ListWidth(), [&view](unsigned char c) { return view.ByteWidth(c); },
                       lines))
    return;
  builder.ResetImportRecipe();
  ManualImportSession session(builder, lines);
  if (view.Run(session, lines)) cancel = true;
  if (session.recordId != 0) {
    chapter = session.chapter;
    recordId = session.recordId;
  }
  builder.ResetImportRecipe();
}

}  // namespace pantrela
