#include "web/entities.h"

#include <gtest/gtest.h>

namespace pantrela {
namespace {

TEST(Entities, TableHas232Rows) { EXPECT_EQ(EntityRowCount(), 232); }

TEST(Entities, LookupKeysOfEveryKind) {
  struct Case {
    const char* key;
    const char* text;
  } cases[] = {
      {"&#10;", " "},        {"&#32;", " "},          {"&#65;", "A"},        {"&quot;", "\""},
      {"&amp;", "&"},        {"&apos;", "'"},         {"&lt;", "<"},         {"&gt;", ">"},
      {"&#160;", " "},       {"&nbsp;", " "},         {"C2A0", " "},         {"&shy;", "-"},
      {"&cedil;", ","},      {"&frac14;", "-1/4"},    {"C2BE", "-3/4"},      {"&eacute;", "\xE9"},
      {"C3A9", "\xE9"},      {"&#255;", "\xFF"},      {"C3BF", "\xFF"},      {"&yuml;", "\xFF"},
      {"&ensp;", " "},       {"E28089", " "},         {"&ndash;", "-"},      {"E28095", "-"},
      {"&rsquo;", "'"},      {"E2809B", "'"},         {"&bdquo;", "\""},     {"&bull;", "\xB7"},
      {"E280A3", "\xB7"},    {"E280A5", ".."},        {"&hellip;", "..."},   {"E280A8", "\r"},
      {"&frasl;", "/"},      {"&trade;", "\x99"},     {"&frac13;", "-1/3"},  {"E2859E", "-7/8"},
      {"&#8542;", "-7/8"},   {"E296A0", " "},         {"E296A1", " "},
      // Keys stored misspelt never match; the other keys of those rows do.
      {"&plusmn;", ""},      {"&plusmn", "\xB1"},     {"&#177;", "\xB1"},    {"&middot;", ""},
      {"C2B7", "\xB7"},      {"&Eacute;", ""},        {"&#201;", "\xC9"},    {"&Yacute;", ""},
      {"&Yaccute;", "\xDD"}, {"C39D", "\xDD"},        {"E296AA", ""},        {"E296Ab", " "},
      // No row, and matching is case-sensitive.
      {"&euro;", ""},        {"&#128;", ""},          {"&#9;", ""},          {"&AMP;", ""},
      {"c2bd", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LookupEntity(c.key), c.text) << c.key;
}

TEST(Entities, DecodeReferencesAndUtf8) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"1&#x00BD; cups", "1-1/2 cups"},
      {"1&#189; cups", "1-1/2 cups"},
      {"1&frac12; cups", "1-1/2 cups"},
      {"1\xC2\xBD cups", "1-1/2 cups"},
      {"1&#0189; cups", "1-1/2 cups"},   // leading zeros dropped before the lookup
      {"a&#X41;b", "aAb"},
      {"5 &euro; each", "5 &euro; each"},  // no row: kept as written
      {"salt & pepper; to taste", "salt & pepper; to taste"},
      {"a&abcdefghi;", "a&abcdefghi;"},  // ";" ten characters on: "&" kept
      {"caf\xC3\xA9", "caf\xE9"},
      {"Tom\xE2\x80\x99s \xE2\x80\x9C" "best\xE2\x80\x9D", "Tom's \"best\""},
      {"a\tb\nc\rd\x01", "a b cd"},
      {"\xC2", "\xC2"},                  // a lone lead byte at the end stays
      {"\xE2\x80", "\xE2\x80"},
      {"x\xC2\x41", "x\xC2\x41"},          // no row for C241
      {"&lt;i&gt;", "<i>"},              // decoded text is not decoded again
      {"a&lt;b&gt;c", "ac"},             // then cleaned: bold tags go
      {"&amp;lt;", "&lt;"},
  };
  for (Case& c : cases) {
    std::string s = c.in;
    DecodeEntities(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST(Entities, ClipboardUnicodeMapping) {
  std::u16string in = u"\t1\u00BD cups \u2013 \u201Cfresh\u201D\u00A9\u00AE\u2022\u2122 \u2019n\u2033 \u2155 \u00E9\u20AC";
  EXPECT_EQ(MapClipboardUnicode(in), " 1-1/2 cups - \"fresh\" 'n\" -1/5 \xE9\x80");
  EXPECT_EQ(MapClipboardUnicode(std::u16string(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(MapClipboardUnicode(u"\u4E2D\U0001F600"), "??");
  EXPECT_EQ(MapClipboardUtf8("1\xC2\xBC tsp \xE2\x85\x9C"), "1-1/4 tsp -3/8");
  EXPECT_EQ(MapClipboardUtf8("bad \xFF\xC3"), "bad ??");
}

}  // namespace
}  // namespace pantrela
