#include <gtest/gtest.h>

#include "database/search.h"
#include "db_fixture.h"

namespace pantrela::testing {
namespace {

TEST(QueryParser, TermsKindsAndLimits) {
  struct Case {
    const char* text;
    std::vector<std::string> terms;  // kind + text
  } cases[] = {
      {"chicken -curry", {"+CHICKEN", "-CURRY"}},
      {"  pie /apple /cherry ", {"+PIE", "/APPLE", "/CHERRY"}},
      {"\"green  beans \" -\"hot sauce\"", {"+GREEN  BEANS", "-HOT SAUCE"}},
      {"mom's, chili+beans", {"+MOM'S", "+CHILI", "+BEANS"}},
      {"\x9a\x9ar \x8a" "a", {"+\x9a\x9aR", "+\x8a" "A"}},  // bytes 128-173 are word characters
      {"caf\xe9 \"caf\xe9\"", {"+CAF", "+CAF\xe9"}},       // later ones only inside a phrase
      {"\"unclosed phrase", {"+UNCLOSED", "+PHRASE"}},
      {"\"\" x", {"+X"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const auto& t : ParseQuery(c.text)) got.push_back(std::string(1, t.kind) + t.text);
    EXPECT_EQ(got, c.terms) << c.text;
  }
  std::string many;
  for (int i = 0; i < 150; ++i) many += "w" + std::to_string(i) + " ";
  EXPECT_EQ(ParseQuery(many).size(), 100u);
}

TEST(QueryMatcher, PlusMinusSlashAndFolding) {
  struct Case {
    const char* query;
    const char* field;
    bool match;
  } cases[] = {
      {"chicken -curry", "Chicken soup", true},
      {"chicken -curry", "Chicken Curry", false},
      {"pie /apple /cherry", "Cherry Pie", true},
      {"pie /apple /cherry", "Peach Pie", false},
      {"/apple /cherry", "apple tart", true},
      {"/apple /cherry", "plum tart", false},
      {"\"green beans\"", "Green beans with ham", true},
      {"\"green beans\"", "green and beans", false},
      {"\x9a" "erbet", "\x9a" "ERBET", true},
      {"\x9a" "erbet", "\x8a" "ERBET", false},  // accented letters match only in the same case
      {"\"\xe9t\xe9\"", "\xc9T\xc9", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchField(c.field, ParseQuery(c.query)), c.match) << c.query << " in " << c.field;
}

TEST(SearchForm, ValidationMessages) {
  ScriptedDialogs d;
  SearchRequest r;
  r.text = "   ";
  EXPECT_FALSE(ConfirmSearchRequest(d, r));
  r.text = "soup";
  r.titles = false;
  EXPECT_FALSE(ConfirmSearchRequest(d, r));
  r.directions = true;
  EXPECT_TRUE(ConfirmSearchRequest(d, r));
  EXPECT_EQ(d.Messages(), (std::vector<std::string>{"Please enter the text you want to search for",
                                                    "You must select at least one field to search"}));
}

class SearchTest : public DbTest {
 protected:
  void SetUp() override {
    OpenCollection(db);
    soups = db.CreateChapter("Soups");
    other = db.CreateChapter("Other");
    Add("Chicken Soup", soups, "1 chicken\r2 carrots", "Simmer.");
    Add("Curry Chicken", other, "1 chicken\rcurry paste", "Fry.");
    Add("Plain Rice", other, "rice", "Boil the chicken stock first.");
    Add("Bean Soup", soups, "beans", "Cook.");
    db.SortAndSaveIndex();
    db.LoadMasterIndex();
  }
  std::vector<std::string> Hits() const {
    std::vector<std::string> out;
    for (uint32_t e : db.EntryOffsets())
      if (db.Entry(e).flags() & kFlagHit) out.emplace_back(db.Entry(e).title());
    return out;
  }
  int64_t soups = 0, other = 0;
};

TEST_F(SearchTest, FieldsAndScope) {
  SearchRequest r;
  r.text = "chicken";
  EXPECT_EQ(RunSearch(db, r), 2);
  EXPECT_EQ(Hits(), (std::vector<std::string>{"Chicken Soup", "Curry Chicken"}));
  r.directions = true;
  EXPECT_EQ(RunSearch(db, r), 3);
  r.scope = soups;
  EXPECT_EQ(RunSearch(db, r), 1);
  EXPECT_EQ(Hits(), std::vector<std::string>{"Chicken Soup"});
  EXPECT_EQ(db.CurrentChapterKey(), kChapterSearch);
  EXPECT_EQ(RecipeTitles(), std::vector<std::string>{"Chicken Soup"});
  EXPECT_NE(std::find_if(dialogs.progressLines.begin(), dialogs.progressLines.end(),
                         [](const std::string& l) { return l.rfind("Searching Records|1 Matches|", 0) == 0; }),
            dialogs.progressLines.end());
}

TEST_F(SearchTest, TitlesOnlyNeverReadsOtherFields) {
  // Damage the ingredients of every record so that reading them would match.
  std::string bytes = ReadBytes(ctx.files.recipe);
  for (size_t p = 0; (p = bytes.find("beans", p)) != std::string::npos;) bytes.replace(p, 5, "XYZZY");
  WriteBytes(ctx.files.recipe, bytes);
  SearchRequest r;
  r.text = "xyzzy";
  EXPECT_EQ(RunSearch(db, r), 0);
  r.ingredients = true;
  EXPECT_EQ(RunSearch(db, r), 1);
}

TEST_F(SearchTest, ResultsSurviveARestartAndStopKeepsRest) {
  SearchRequest r;
  r.text = "soup";
  RunSearch(db, r);
  Collection again(ctx);
  OpenCollection(again);
  again.SelectChapterByKey(kChapterSearch);
  again.BuildRecipeList();
  std::vector<std::string> titles;
  for (uint32_t e : again.recipeList().entries) titles.emplace_back(again.Entry(e).title());
  EXPECT_EQ(titles, (std::vector<std::string>{"Bean Soup", "Chicken Soup"}));
  // Stopped at once: no entry is flagged and "Search Results" is still current.
  dialogs.stopAfterPolls = dialogs.polls;
  EXPECT_EQ(RunSearch(db, r), 0);
  EXPECT_TRUE(Hits().empty());
  EXPECT_EQ(db.CurrentChapterKey(), kChapterSearch);
}

TEST_F(SearchTest, EntryPastTheFileEndStopsTheWalk) {
  for (uint32_t e : db.EntryOffsets())
    if (db.Entry(e).title() == "Bean Soup") db.SetEntryFileOffset(e, 1 << 30);
  SearchRequest r;
  r.text = "soup";
  EXPECT_EQ(RunSearch(db, r), 0);  // "Bean Soup" comes first in index order
  EXPECT_TRUE(Logged("FIND Load - Too small for header"));
}

TEST_F(SearchTest, ScopeChoicesAreAllRecipesAndUserChapters) {
  auto choices = SearchScopeChoices(db);
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0], (std::pair<std::string, int64_t>{"All Recipes", 1}));
  EXPECT_EQ(choices[1].first, "Other");
  EXPECT_EQ(choices[2].second, soups);
}

}  // namespace
}  // namespace pantrela::testing
