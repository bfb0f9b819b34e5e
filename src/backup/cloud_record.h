// The cloud record text: one recipe or information text as tagged lines,
//   "A-" length of the whole text (16 hex digits, this line and "##" included)
//   "B-" "C-" "D-" write stamp, record ID, chapter key (16 hex digits each)
//   "E-" kind   "G-" title   "H-" servings   "I-" ingredients   "J-" directions
//   "K-" photo bytes as hexadecimal pairs   "##" end of record
// each ended by CR LF, texts folded to ASCII, lines joined by "<br>".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "database/record.h"

namespace pantrela {

// Replaces the Windows-1252 letters and signs a plain ASCII reader cannot
// show: quotes become "'", accented letters their plain letter, the degree
// sign "&deg;", the vulgar fractions "1/4", "1/2", "3/4"; trade mark,
// copyright and registered signs are removed. Other bytes are kept.
std::string FoldToAscii(std::string_view text);

// Upper-case hexadecimal without leading zeros ("0" for zero; negative
// values as their 16-digit two's complement).
std::string HexNumber(int64_t value);
// Exactly 16 upper-case hexadecimal digits.
std::string Hex16(int64_t value);
// Reads up to 16 hexadecimal digits (two's complement); other characters end it.
int64_t ReadHex(std::string_view text);

struct CloudRecordText {
  std::string text;   // the record text
  std::string title;  // the title as sent (folded)
  bool hasPhoto = false;
};

// Encodes a recipe or information text. Ingredient lines are parsed and
// written again at scale 1 in the given measurement format.
CloudRecordText EncodeCloudRecord(const CurrentRecord& record, int ingredientFormat);

// Rebuilds records from cloud record lines. "##" hands the finished record
// to `append`; only a record that an "A-" line began is handed on, so a
// truncated file never yields a half record.
class CloudRecordDecoder {
 public:
  using Append = std::function<void(const CurrentRecord&)>;
  explicit CloudRecordDecoder(Append append) : append_(std::move(append)) {}
  // Applies one line (without its CR LF).
  void DecodeCloudLine(std::string_view line);
  int records() const { return records_; }

 private:
  Append append_;
  CurrentRecord record_;
  bool open_ = false;
  bool photoBroken_ = false;
  int records_ = 0;
};

}  // namespace pantrela
