#include <gtest/gtest.h>

#include "foundation/text_list.h"

namespace pantrela {
namespace {

TEST(SplitList, EmptyPiecesAreKept) {
  struct Case {
    std::string text;
    char separator;
    std::vector<std::string> pieces;
  };
  const std::vector<Case> cases = {
      {"", '|', {""}},
      {"OK", '|', {"OK"}},
      {"OK|Cancel", '|', {"OK", "Cancel"}},
      {"a||b|", '|', {"a", "", "b", ""}},
      {"host 21  user", ' ', {"host", "21", "", "user"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitList(c.text, c.separator), c.pieces) << c.text;
}

}  // namespace
}  // namespace pantrela
