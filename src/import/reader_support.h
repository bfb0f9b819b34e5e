// What the format readers share: the progress window with its caption and
// the key-stop rule, the ingredient line path (parse, format, add), Base64
// photo text, XML attribute values and photos read from image files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/progress.h"

namespace pantrela {

class RecipeBuilder;

// One reader's run over one file: opens the progress window, updates it
// with the caption, the progress label and the percentage of the position,
// and answers whether to stop (space bar, or the program closing; the
// space bar also sets the cancel flag). On leaving it closes the window and
// hands the chapter and record ID of the last stored recipe out.
class ReaderRun {
 public:
  ReaderRun(RecipeBuilder& builder, const char* caption, const std::string& label, int64_t& chapter,
            int64_t& recordId, bool& cancel);
  ~ReaderRun();
  ReaderRun(const ReaderRun&) = delete;
  ReaderRun& operator=(const ReaderRun&) = delete;
  // True when the reader must stop. Cheap: the window is updated when the
  // percentage changes or every 256 calls.
  bool Stop(uint64_t position, uint64_t size);

 private:
  RecipeBuilder& b_;
  ProgressScope progress_;
  const char* caption_;
  std::string label_;
  int64_t& chapter_;
  int64_t& recordId_;
  bool& cancel_;
};

// Parses and formats one ingredient line and adds it with a trailing CR.
void AddIngredientLine(RecipeBuilder& builder, std::string_view line);

// Base64 text reduced to its alphabet (letters, digits, "+", "/", "=") and
// decoded in groups of four characters into three bytes; a last partial
// group is dropped and "=" decodes like "A". At most `limit` bytes.
std::string DecodeBase64(std::string_view text, size_t limit = std::string::npos);

// The value of attribute `name` (given with its "=", as "name=") in a tag:
// the text between the next two double quotes after it, in the tag's own
// case; "" when absent or when a quote is missing. The name must start the
// tag's word ("id=" is not found inside "cookbookid=").
std::string XmlAttr(std::string_view tag, std::string_view name);

// Makes image bytes the recipe's photo the way a loaded photo is made
// (fitted to the recipe view, stored as JPEG): the bytes go through the
// scratch file `scratchName` in the data folder, which is deleted again.
// False, and the photo unchanged, when they are not an image.
bool PhotoFromBytes(RecipeBuilder& builder, std::string_view bytes, const std::string& scratchName);
// The same for an image file next to the imported file.
bool PhotoFromFile(RecipeBuilder& builder, const std::string& path);

// The folder part of a path, with its "/" ("" when there is none).
std::string FolderOf(const std::string& path);
// ASCII lower case.
std::string LowerText(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool Contains(std::string_view s, std::string_view part);
// Leading and trailing blanks and tabs.
std::string Trimmed(std::string_view s);

}  // namespace pantrela
