#include "web/html_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::ScriptedDialogs;
using testing::TempDir;
using testing::WriteBytes;

struct Pair {
  std::string text, tag, previous;
};

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }
  std::vector<Pair> Walk(const std::string& page, bool* cancelled = nullptr) {
    WriteBytes(dir / "page.htm", page);
    std::vector<Pair> pairs;
    PageParser parser = [&](int32_t& state, std::string&, std::string& text, std::string& textLower,
                            std::string& tag, std::string& tagLower, std::string& previous, std::string& title,
                            int32_t& servings, std::string&) {
      EXPECT_EQ(textLower, AsciiLower(text));
      EXPECT_EQ(tagLower, AsciiLower(tag));
      pairs.push_back({text, tag, previous});
      ++state;
      servings = state;
      if (state == 1) title = text;
    };
    std::string title, photo;
    int32_t servings = -1;
    bool stop = false;
    WalkPage(ctx, dir / "page.htm", parser, title, servings, photo, stop);
    if (cancelled) *cancelled = stop;
    EXPECT_EQ(servings, int32_t(pairs.size()));
    return pairs;
  }
  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
};

TEST_F(PageTest, WalkDeliversTextBeforeEachTag) {
  auto pairs = Walk("Hello <EM class=\"x\">Caf&eacute;</em>tail text");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].text, "Hello ");
  EXPECT_EQ(pairs[0].tag, "<EM class=\"x\">");
  EXPECT_EQ(pairs[0].previous, "");
  EXPECT_EQ(pairs[1].text, "Caf\xE9");
  EXPECT_EQ(pairs[1].tag, "</em>");
  EXPECT_EQ(pairs[1].previous, "<em class=\"x\">");  // text after the last tag is not delivered
  EXPECT_FALSE(dialogs.progressLines.empty());
  EXPECT_EQ(dialogs.progressLines[0].substr(0, 21), "Importing Web Recipe|");
}

TEST_F(PageTest, TagsLongerThanTheWindowAreFound) {
  // A tag across the first 128-byte window, and a text run of 1000 bytes.
  std::string longText(1000, 'x');
  std::string page = std::string(100, 'a') + "<div class=\"" + std::string(60, 'c') + "\">" + longText + "<p>";
  auto pairs = Walk(page);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].text, std::string(100, 'a'));
  EXPECT_EQ(pairs[0].tag.size(), 74u);
  EXPECT_EQ(pairs[1].text, longText);
  EXPECT_EQ(pairs[1].tag, "<p>");
}

TEST_F(PageTest, UnclosedTagAndEmptyPageEndTheWalk) {
  EXPECT_TRUE(Walk("").empty());
  EXPECT_TRUE(Walk("no tags at all").empty());
  auto pairs = Walk("<a>text <b never closed " + std::string(5000, 'z'));
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_TRUE(Walk("> stray <").empty());
}

TEST_F(PageTest, SpaceBarCancelsTheWalk) {
  dialogs.stopAfterPolls = 2;
  bool cancelled = false;
  auto pairs = Walk("<a><b><c><d>", &cancelled);
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(pairs.size(), 2u);
}

TEST(TagUtilities, HasAttr) {
  std::string closing = "x";
  EXPECT_EQ(HasAttr("<div class=\"recipe-ingredients clearfix\">", "class", "ingredients", closing), 1);
  EXPECT_EQ(closing, "/div>");
  EXPECT_EQ(HasAttr("<li class='ingredient'>", "class=", "ingredient", closing), 1);
  EXPECT_EQ(closing, "/li>");
  EXPECT_EQ(HasAttr("<span itemprop=\"recipeinstructions\">", "itemprop", "recipeinstructions", closing), 1);
  EXPECT_EQ(closing, "/span>");
  // A literal attribute=value answers 1 without a closing tag.
  EXPECT_EQ(HasAttr("<td class=ingredients>", "class", "ingredients", closing), 1);
  EXPECT_EQ(closing, "");
  EXPECT_EQ(HasAttr("<div class=\"directions\">", "class", "ingredients", closing), 0);
  EXPECT_EQ(HasAttr("<div id=\"ingredients\">", "class", "ingredients", closing), 0);
  EXPECT_EQ(HasAttr("<div class=\"ingredients>", "class", "ingredients", closing), 0);
}

TEST(TagUtilities, AttrValue) {
  EXPECT_EQ(AttrValue("<meta property=\"og:image\" content=\"http://X.com/A.jpg\">", "content="),
            "http://X.com/A.jpg");
  EXPECT_EQ(AttrValue("<img SRC='Pic.PNG' alt=x>", "src="), "Pic.PNG");
  EXPECT_EQ(AttrValue("<img src=pic.png>", "src="), "");
  EXPECT_EQ(AttrValue("<img alt=\"x\">", "src="), "");
  EXPECT_EQ(AttrValue("<img src=\"a'b>", "src="), "a");
  EXPECT_EQ(AttrValue("<img src=\"", "src="), "");
}

TEST(TagUtilities, StripStepNumber) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"2. Stir well", "Stir well"}, {"  10.1. Bake ", "Bake"}, {"2 cups", "2 cups"},
               {"Step 2. Stir", "Step 2. Stir"}, {"3.", "3."}, {"a. b", "a. b"}};
  for (const Case& c : cases) {
    std::string s = c.in;
    StripStepNumber(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST_F(PageTest, PageToTextWritesBodyLines) {
  WriteBytes(dir / "page.htm",
             "<html><head><title>T</title><style>p{}</style></head><body>"
             "<h1>Best Soup</h1><script>var x='<p>';</script>"
             "<ul><li>1 cup &frac12; milk</li><li>salt</li></ul>"
             "<p>Stir <b>well</b> and<br>serve.</p><div>tail</div>left over</body>");
  bool cancelled = true;
  EXPECT_TRUE(PageToText(ctx, dir / "page.htm", cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(ReadBytes(dir / "manual.txt"),
            "Best Soup\r\n\r\n"
            "1 cup 1/2 milk\r\nsalt\r\n\r\n"
            "Stir well and\r\nserve. tail\r\n");  // "</p>" lets the text run on
}

}  // namespace
}  // namespace pantrela

namespace pantrela {
namespace {

TEST_F(PageTest, HugePagesWithoutTagsEndQuickly) {
  auto pairs = Walk(std::string(50 << 20, 'x') + "<" + std::string(1 << 20, 'y'));
  EXPECT_TRUE(pairs.empty());
  pairs = Walk(std::string(5 << 20, 'x') + "<p>" + std::string(100, '\0') + "<b\0r>");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].text.size(), size_t(5 << 20));
}

}  // namespace
}  // namespace pantrela
