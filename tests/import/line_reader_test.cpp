#include "import/line_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

std::vector<std::string> ReadAll(const std::string& bytes, size_t block) {
  TempDir dir;
  WriteBytes(dir / "f.txt", bytes);
  LineReader in(dir / "f.txt", block);
  std::vector<std::string> lines;
  std::string line;
  while (in.Next(line)) lines.push_back(line);
  EXPECT_TRUE(in.AtEnd());
  return lines;
}

TEST(LineReader, BreaksAndLongLines) {
  std::string longLine;
  for (int i = 0; i < 100; ++i) longLine += "word" + std::to_string(i) + " ";  // about 590 bytes
  struct Case {
    std::string in;
    std::vector<std::string> out;
  } cases[] = {
      {"", {}},
      {"abc\r\ndef", {"abc", "def"}},
      {"a\rb\nc\r\rd\n\n", {"a", "b", "c", "", "d", ""}},
      {"last line without break", {"last line without break"}},
      {std::string(600, 'x'), {std::string(260, 'x'), std::string(260, 'x'), std::string(80, 'x')}},
  };
  for (const Case& c : cases)
    for (size_t block : {4096u, 1u << 20}) EXPECT_EQ(ReadAll(c.in, block), c.out) << c.in.substr(0, 30);
  // Over-long lines are cut after a space within their first 256 bytes.
  for (size_t block : {4096u, 1u << 20}) {
    auto pieces = ReadAll(longLine + "\r\nnext\r\n", block);
    ASSERT_GE(pieces.size(), 3u);
    std::string joined;
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
      EXPECT_LE(pieces[i].size(), 256u);
      if (i + 2 < pieces.size()) EXPECT_EQ(pieces[i].back(), ' ');
      joined += pieces[i];
    }
    EXPECT_EQ(joined, longLine);
    EXPECT_EQ(pieces.back(), "next");
  }
  // Lines across block boundaries.
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "line " + std::to_string(i) + "\r\n";
  auto lines = ReadAll(many, 4096);
  ASSERT_EQ(lines.size(), 3000u);
  EXPECT_EQ(lines[2999], "line 2999");
}

}  // namespace
}  // namespace pantrela::testing
