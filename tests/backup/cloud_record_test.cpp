#include "backup/cloud_record.h"

#include <gtest/gtest.h>

#include <vector>

#include "backup/cloud.h"

namespace pantrela {
namespace {

TEST(FoldToAscii, ReplacesTheLettersAndSignsOfTheTable) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"Cr\xE8me br\xFBl\xE9" "e", "Creme brulee"},  // e grave, u circumflex, e acute
      {"\x91quoted\x92 \x93twice\x94 acute\xB4", "'quoted' 'twice' acute'"},
      {"Brand\x99 \xA9 \xAE!", "Brand  !"},
      {"350\xB0", "350&deg;"},
      {"\xBC \xBD \xBE", "1/4 1/2 3/4"},
      {"\xC0\xC5\xC7\xC8\xCB\xCC\xCF\xD0\xD1\xD2\xD6\xD9\xDC\xDD", "AACEEIIDNOOUUY"},
      {"\xE0\xE5\xE7\xE8\xEB\xEC\xEF\xF0\xF1\xF2\xF6\xF9\xFC\xFD\xFE\xFF", "aaceeiionoouuyby"},
      {"plain text, \xD7 and \xF7 kept", "plain text, \xD7 and \xF7 kept"},
  };
  for (const auto& c : cases) EXPECT_EQ(FoldToAscii(c.in), c.out) << c.in;
}

TEST(CloudCredentials, RulesAreCheckedInOrder) {
  const struct {
    std::string user, password, error;
  } cases[] = {
      {"abc1", "secret", ""},
      {"abc", "secret", "|USER must be at least four characters long"},
      {"abc", "x", "|USER must be at least four characters long"},
      {"abcd", "short", "|PASSWORD must be at least six characters long"},
      {"ab_cd", "secret", "|USER may only contain letters and numbers"},
      {"abcd", "sec ret", "|PASSWORD may only contain letters and numbers"},
      {"ab_cd", "sec-ret", "|USER may only contain letters and numbers"},
  };
  for (const auto& c : cases) EXPECT_EQ(CloudCredentialError(c.user, c.password), c.error) << c.user;
}

TEST(CloudRecord, EncodesEveryLineAndItsOwnLength) {
  CurrentRecord r;
  r.header.Set64(kHdrWriteStamp, 0x1234);
  r.setRecordId(0x3F0000000000ABCD);
  r.setChapterKey(0x3F00000000000042);
  r.setKind(kKindRecipe);
  r.setServings(4);
  r.title = "Cr\xE8me Br\xFBl\xE9" "e";
  r.directions = "Heat to 350\xB0.   \r\rServe.";
  r.photo = std::string("\x00\xAB\x10", 3);
  CloudRecordText t = EncodeCloudRecord(r, 0);
  const std::string body =
      "B-0000000000001234\r\n"
      "C-3F0000000000ABCD\r\n"
      "D-3F00000000000042\r\n"
      "E-0\r\n"
      "G-Creme Brulee\r\n"
      "H-4\r\n"
      "J-Heat to 350&deg;.<br><br>Serve.\r\n"
      "K-00AB10\r\n"
      "##\r\n";
  char len[17];
  std::snprintf(len, sizeof len, "%016zX", body.size() + 20);
  EXPECT_EQ(t.text, "A-" + std::string(len) + "\r\n" + body);
  EXPECT_EQ(t.title, "Creme Brulee");
  EXPECT_TRUE(t.hasPhoto);
}

TEST(CloudRecord, LengthLineCountsTheWholeText) {
  // Four 20-character lines, "E-0", "H-0", an empty "J-", "##" and the
  // title line: 102 characters plus the title; 256 in all is hex 100.
  CurrentRecord r;
  r.title = std::string(256 - 102, 'x');
  CloudRecordText t = EncodeCloudRecord(r, 0);
  ASSERT_EQ(t.text.size(), 256u);
  EXPECT_EQ(t.text.substr(0, 20), "A-0000000000000100\r\n");
  EXPECT_FALSE(t.hasPhoto);
  EXPECT_EQ(t.text.find("I-"), std::string::npos);  // blanks only: no ingredient line
}

TEST(CloudRecord, IngredientLinesAreOnlyWrittenWhenThereIsMoreThanBlanks) {
  CurrentRecord r;
  r.ingredients = "   ";
  EXPECT_EQ(EncodeCloudRecord(r, 0).text.find("\r\nI-"), std::string::npos);
  r.ingredients = "2 cups flour\r1 egg";
  EXPECT_NE(EncodeCloudRecord(r, 0).text.find("\r\nI-"), std::string::npos);
}

// Decoded records, collected.
struct Decoded {
  std::vector<CurrentRecord> records;
  CloudRecordDecoder decoder{[this](const CurrentRecord& r) { records.push_back(r); }};
  void Feed(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      decoder.DecodeCloudLine(std::string_view(text).substr(pos, end - pos));
      pos = end + 2;
    }
  }
};

TEST(CloudRecord, DecodingGivesBackWhatWasEncoded) {
  CurrentRecord r;
  r.setRecordId(0x3F5629FFFFFF0001);
  r.setChapterKey(0x3F56290000000002);
  r.setKind(kKindInfo);
  r.setServings(255);
  r.title = "Notes";
  r.directions = "Line one\r\rLine 350\xB0";
  r.photo = std::string("\xFF\xD8\x00\x01\x02\xFF\xD9", 7);
  Decoded d;
  d.Feed(EncodeCloudRecord(r, 0).text + EncodeCloudRecord(r, 0).text);
  ASSERT_EQ(d.records.size(), 2u);
  const CurrentRecord& o = d.records[0];
  EXPECT_EQ(o.recordId(), r.recordId());
  EXPECT_EQ(o.chapterKey(), r.chapterKey());
  EXPECT_EQ(o.kind(), kKindInfo);
  EXPECT_EQ(o.servings(), 255);
  EXPECT_EQ(o.title, "Notes");
  EXPECT_EQ(o.directions, r.directions);
  EXPECT_EQ(o.photo, r.photo);
}

TEST(CloudRecord, BrokenTextStoresNoHalfRecord) {
  const std::string good = "A-0\r\nC-00000000000000FF\r\nG-Good\r\n##\r\n";
  const struct {
    std::string text;
    size_t records;
    std::string photo;
  } cases[] = {
      {good + "A-0\r\nG-Cut off before its end\r\nJ-", 1, ""},       // truncated file
      {"G-stray\r\n##\r\n" + good, 1, ""},                          // lines before any "A-"
      {"A-0\r\nK-00A\r\n##\r\n", 1, ""},                            // odd photo digits: no photo
      {"A-0\r\nK-00ZZ10\r\n##\r\n", 1, ""},                         // not hexadecimal: no photo
      {"A-0\r\nK-00AB10\r\nF-x\r\nL-y\r\nM-z\r\nQ\r\n##\r\n", 1, std::string("\x00\xAB\x10", 3)},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    Decoded d;
    d.Feed(c.text);
    ASSERT_EQ(d.records.size(), c.records) << c.text;
    if (c.records) {
      EXPECT_EQ(d.records.back().photo, c.photo) << c.text;
    }
  }
}

TEST(CloudRecord, LongTextsAreCutAndTheDegreeSignComesBack) {
  Decoded d;
  std::string longDirections(70000, 'a');
  d.Feed("A-0\r\nI-1 cup milk<br>2 eggs\r\nJ-" + longDirections + "\r\nG-Hot 200&deg;\r\n##\r\n");
  ASSERT_EQ(d.records.size(), 1u);
  EXPECT_EQ(d.records[0].ingredients, "1 cup milk\r2 eggs");
  EXPECT_EQ(d.records[0].directions.size(), 65000u);
  EXPECT_EQ(d.records[0].title, "Hot 200&deg;");  // the title is taken as it is
}

TEST(CloudUpload, ErrorTextsBecomeMessageLines) {
  const struct {
    std::string body, text;
  } cases[] = {
      {"", ""},
      {"  \r\n  ", ""},
      {"<b>Error:</b> disk full<br>try later<br />bye\r\nend", "Error: disk full|try later|bye|end"},
      {std::string(50, 'x') + " tail and more words", std::string(50, 'x') + "|tail and more words"},
      {"|| Error ||", "Error"},
  };
  for (const auto& c : cases) EXPECT_EQ(CloudUploadErrorText(c.body), c.text) << c.body;
}

}  // namespace
}  // namespace pantrela
