#include "import/recipe_builder.h"

#include "database/photo.h"
#include "import_fixture.h"
#include "platform/image_codec.h"

namespace pantrela::testing {
namespace {

std::string JpegOf(int w, int h) {
  platform::Image image;
  image.width = w;
  image.height = h;
  image.rgba.assign(size_t(w) * size_t(h) * 4, 200);
  std::string jpeg;
  EXPECT_TRUE(platform::EncodeJpeg(image, jpeg));
  return jpeg;
}

TEST(Builder, CleanImportTitle) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"RECIPE: chili recipe", "Chili"},
      {"", "* Untitled Recipe"},
      {"  ...", "* Untitled Recipe"},
      {" ...  ", ".."},  // trailing dots go before the trim, one leading dot after
      {"Title: beef  stew.", "Beef Stew"},
      {"title : Mac &amp; cheese", "Mac & Cheese"},
      {"*GRANDMA'S PIE*", "Grandma's Pie"},
      {".hidden", "Hidden"},
      {"Caf\xC3\xA9 au lait", "Caf\xE9 Au Lait"},
      {"Tom\x99 soup\x01", "Tom Soup"},
      // Only a label is dropped: these words are part of the title.
      {"Recipes For Summer", "Recipes For Summer"},
      {"Recipe 1", "Recipe 1"},
      {"Titled Duck", "Titled Duck"},
      {"Rocky Road II", "Rocky Road II"},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanImportTitle(c.in), c.out) << c.in;
  EXPECT_EQ(CleanImportTitle(std::string(300, 'a')).size(), 250u);
}

TEST(Builder, TidyText) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {" \r\r  ", ""},
      {"\r\r a\r\r\r\rb  c\r \rd  \r\r", "a\r\rb c\r\rd\r"},
      {"one", "one\r"},
      {"\t x \x01", "x\r"},
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    TidyText(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST(Builder, LineTableCutsAndGrows) {
  LineTable table;
  for (int i = 0; i < 250; ++i) AddTableLine(table, std::string(i == 7 ? 300 : 5, char('a' + i % 26)));
  EXPECT_EQ(table.count(), 250u);
  EXPECT_EQ(table.Get(7), std::string(199, 'h'));
  EXPECT_EQ(table.Get(249), std::string(5, char('a' + 249 % 26)));
  table.Clear();
  EXPECT_TRUE(table.empty());
}

TEST(Builder, SourceHost) {
  EXPECT_EQ(SourceHost("https://WWW.Example.com/recipes/1"), "www.example.com");
  EXPECT_EQ(SourceHost("http://host"), "host");
  EXPECT_EQ(SourceHost("no address"), "");
}

TEST_F(ImportTest, StoreRulesOfTheBuilder) {
  CollectionImportTarget target(*collection);
  RecipeBuilder b(ctx, target);
  int64_t chapter = 0;

  // Ingredients only: stored as information text with the lines as directions.
  b.ResetImportRecipe();
  b.AddIngredientText("1 cup flour\r");
  b.AddIngredientText("salt\r");
  int64_t id1 = b.StoreImportedRecipe("", "info only", "", 4, chapter);
  EXPECT_NE(id1, 0);
  const int64_t imported = chapter;

  // Directions run on within a paragraph; an empty piece breaks it; a source
  // host line is added.
  b.ResetImportRecipe();
  b.AddIngredientText("2 eggs\r");
  b.AddDirectionText("Beat the eggs");
  b.AddDirectionText("  with a fork.");
  b.AddDirectionText("   ");
  b.AddDirectionText("Serve.");
  b.StoreImportedRecipe("https://Cooks.Example.org/a/b", "eggs", "Ignored", 300, chapter);
  EXPECT_EQ(chapter, imported);

  // A photo below 64 pixels on a side is dropped, 64 x 64 is kept.
  b.ResetImportRecipe();
  b.AddDirectionText("Look.");
  b.record().photo = JpegOf(63, 200);
  b.StoreImportedRecipe("", "small photo", "", 0, chapter);
  b.ResetImportRecipe();
  b.AddDirectionText("Look.");
  b.record().photo = JpegOf(64, 64);
  b.StoreImportedRecipe("", "kept photo", "", 0, chapter);
  b.Finish();

  auto stored = Stored();
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored[0].kind, kKindInfo);
  EXPECT_EQ(stored[0].ingredients, "");
  EXPECT_EQ(stored[0].directions, "1 cup flour\rSalt\r");
  EXPECT_EQ(stored[0].servings, 4);
  EXPECT_EQ(stored[0].chapter, "* Imported Recipes");
  EXPECT_EQ(stored[1].kind, kKindRecipe);
  EXPECT_EQ(stored[1].title, "Eggs");
  EXPECT_EQ(stored[1].servings, 255);
  EXPECT_EQ(stored[1].ingredients, "2 eggs\r");
  EXPECT_EQ(stored[1].directions, "Beat the eggs with a fork.\r\rServe.\r\rSource: cooks.example.org\r");
  EXPECT_EQ(stored[2].photo, "");
  EXPECT_FALSE(stored[3].photo.empty());
  std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Photo Buffer: 1 - p_size: "), std::string::npos);
  EXPECT_NE(log.find(" - Wide: 63 - High: 200\r\n"), std::string::npos);
  EXPECT_NE(log.find(" - Wide: 64 - High: 64\r\n"), std::string::npos);
  // The last stored recipe is current.
  EXPECT_EQ(collection->current().title, "Kept Photo");
}

TEST_F(ImportTest, ChapterFromCategoryWhenAsked) {
  struct Case {
    int importChapter;
    const char* category;
    const char* chapter;
  } cases[] = {{1, "soups", "Soups"}, {1, " SOUPS ", "Soups"}, {0, "soups", "* Imported Recipes"},
               {1, "", "* Imported Recipes"}, {1, "stews &amp; more", "Stews & More"}};
  CollectionImportTarget target(*collection);
  RecipeBuilder b(ctx, target);
  for (const Case& c : cases) {
    ctx.settings.import_chapter = c.importChapter;
    b.ResetImportRecipe();
    b.AddIngredientText("x\r");
    b.AddDirectionText("y");
    int64_t chapter = 0;
    b.StoreImportedRecipe("", "t", c.category, 0, chapter);
    EXPECT_NE(chapter, 0);
  }
  b.Finish();
  auto stored = Stored();
  ASSERT_EQ(stored.size(), std::size(cases));
  for (size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(stored[i].chapter, cases[i].chapter) << i;
  // One chapter record per distinct name.
  int chapters = 0;
  for (uint32_t off : collection->EntryOffsets())
    if (collection->Entry(off).kind() == kKindChapter && collection->Entry(off).chapterKey() > 100) ++chapters;
  EXPECT_EQ(chapters, 3);
}

TEST_F(ImportTest, ExistingChapterIsFoundAcrossRuns) {
  const int64_t soups = collection->CreateChapter("Soups");
  collection->SortAndSaveIndex();
  ctx.settings.import_chapter = 1;
  CollectionImportTarget target(*collection);
  RecipeBuilder b(ctx, target);
  EXPECT_EQ(b.FindChapterByName("  sOUPS "), soups);
  EXPECT_EQ(b.FindChapterByName("Stews"), 0);
}

TEST_F(ImportTest, TextsStopAtTheirCapacity) {
  CollectionImportTarget target(*collection);
  RecipeBuilder b(ctx, target);
  b.ResetImportRecipe();
  for (int i = 0; i < 800; ++i) b.AddIngredientText(std::string(99, 'a') + "\r");
  EXPECT_EQ(b.record().ingredients.size(), kLongTextMax - 1);
  for (int i = 0; i < 800; ++i) b.AddDirectionText(std::string(100, 'b'));
  EXPECT_EQ(b.record().directions.size(), kLongTextMax - 1);
}

}  // namespace
}  // namespace pantrela::testing
