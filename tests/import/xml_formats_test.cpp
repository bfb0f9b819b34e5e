#include "import/xml_formats.h"

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"
#include "platform/image_codec.h"

namespace pantrela::testing {
namespace {

std::string Jpeg(int w, int h) {
  platform::Image image;
  image.width = w;
  image.height = h;
  image.rgba.assign(size_t(w) * size_t(h) * 4, 90);
  std::string jpeg;
  EXPECT_TRUE(platform::EncodeJpeg(image, jpeg));
  return jpeg;
}

std::string Base64(const std::string& bytes) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = uint32_t((unsigned char)bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= uint32_t((unsigned char)bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) v |= uint32_t((unsigned char)bytes[i + 2]);
    out += k[v >> 18];
    out += k[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? k[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? k[v & 63] : '=';
    if (out.size() % 77 == 76) out += '\n';
  }
  return out;
}

TEST_F(ImportTest, RecipeMlRecipes) {
  ctx.settings.import_chapter = 1;
  WriteBytes(dir / "cake.jpg", Jpeg(100, 70));
  const std::string file =
      "<?xml version=\"1.0\"?>\n<recipeml version=\"0.5\">\n"
      "<recipe><head><title>carrot cake</title><categories><cat>cakes</cat><cat>x</cat></categories>"
      "<yield>12 pieces</yield></head><img src=\"pictures/cake.jpg\"/>\n"
      "<ingredients><ing-div><title>cake</title>"
      "<ing><amt><qty>1 1/2</qty><unit>cups</unit></amt><item>flour</item></ing>"
      "<ing><item>salt</item></ing></ing-div>"
      "<ing-div><title>frosting</title><ing><amt><qty><range><q1>2</q1><q2>3</q2></range></qty>"
      "<unit>tbsp</unit></amt><item>butter</item></ing></ing-div></ingredients>\n"
      "<directions><step>Mix.\r\n</step><step>  Bake &amp; cool. </step></directions></recipe>\n"
      "<recipe><head><title>No Category</title></head><directions><step>x</step></directions></recipe>\n"
      "</recipeml>\n";
  WriteBytes(dir / "in.xml", file);
  int format = 0;
  EXPECT_EQ(ImportList({dir / "in.xml"}, format), 1);
  EXPECT_EQ(format, 22);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].title, "Carrot Cake");
  EXPECT_EQ(stored[0].chapter, "Cakes");
  EXPECT_EQ(stored[0].servings, 12);
  EXPECT_EQ(Lines(stored[0].ingredients), (std::vector<std::string>{"Cake:", "1-1/2 cups flour", "Salt", "",
                                                                    "Frosting:", "2 tablespoons butter"}));
  EXPECT_EQ(stored[0].directions, "Mix.\r\rBake & cool.\r");
  EXPECT_EQ(stored[0].photo.substr(0, 2), "\xFF\xD8");
  // The recipe without a category is read, not stored, and reported.
  const std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Import: 1 recipe stored, 1 entry skipped"), std::string::npos);
  EXPECT_NE(log.find("Import skipped: in.xml, recipe 2: the recipe has no category"), std::string::npos);
}

TEST_F(ImportTest, LivingCookbookRecipes) {
  ctx.settings.import_chapter = 1;
  const std::string photo = Jpeg(90, 90);
  const std::string file =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<fdx Source=\"Living Cookbook 4.0\" FileVersion=\"2.0\">\r\n"
      "<Cookbooks><Cookbook Name=\"Family &amp; Friends\" ID=\"13\" /></Cookbooks>\r\n"
      "<CookbookChapters><CookbookChapter ID=\"7\" CookbookID=\"13\" Name=\"Soups\" /></CookbookChapters>\r\n"
      "<Recipes>\r\n"
      "<Recipe Name=\"Leek Soup\" ID=\"1\" CookbookID=\"13\" CookbookChapterID=\"7\" Servings=\"4\" "
      "Comments=\"Old one.&#xD;&#xA;Good.\" WebPage=\"https://soups.example.com/leek\">\r\n"
      "<RecipeIngredients><RecipeIngredient Quantity=\"2\" Unit=\"lb\" Ingredient=\"leeks &amp; onions\" />"
      "</RecipeIngredients>\r\n"
      "<RecipeProcedures><RecipeProcedure><ProcedureText>Chop.</ProcedureText></RecipeProcedure>"
      "<RecipeProcedure><ProcedureText>Simmer.</ProcedureText></RecipeProcedure></RecipeProcedures>\r\n"
      "<RecipeAuthorNote>From Gran.</RecipeAuthorNote>\r\n"
      "<RecipeImages><RecipeImage FileType=\"jpg\">" +
      Base64(photo) +
      "</RecipeImage></RecipeImages>\r\n"
      "</Recipe>\r\n"
      "<Recipe Name=\"Only A Name\" ID=\"2\" CookbookID=\"13\" CookbookChapterID=\"99\" />\r\n"
      "<Recipe Name=\"\" ID=\"3\" CookbookID=\"13\"><RecipeProcedures><RecipeProcedure>"
      "<ProcedureText>x</ProcedureText></RecipeProcedure></RecipeProcedures></Recipe>\r\n"
      "</Recipes></fdx>\r\n";
  WriteBytes(dir / "in.fdx", file);
  int format = 0;
  EXPECT_EQ(ImportList({dir / "in.fdx"}, format), 2);
  EXPECT_EQ(format, 15);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].title, "Leek Soup");
  EXPECT_EQ(stored[0].chapter, "Soups");
  EXPECT_EQ(stored[0].servings, 4);
  EXPECT_EQ(stored[0].ingredients, "2 pounds leeks & onions\r");
  EXPECT_EQ(stored[0].directions,
            "Chop.\r\rSimmer.\r\rFrom Gran.\r\rComments:\r\rOld one. Good.\r\rSource: soups.example.com\r");
  EXPECT_EQ(stored[0].photo.substr(0, 2), "\xFF\xD8");
  EXPECT_FALSE(Exists(dir / "Picture0.jpg"));
  // An unknown chapter falls back to the cookbook's name; a recipe written
  // as one empty element is stored at once.
  EXPECT_EQ(stored[1].title, "Only A Name");
  EXPECT_EQ(stored[1].chapter, "Family & Friends");
  const std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Recipe With No Title - " + dir / "in.fdx"), std::string::npos);
}

TEST_F(ImportTest, MacGourmetLowerCaseKeys) {
  ctx.settings.import_chapter = 1;
  const std::string file =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array><dict>\n"
      "<key>category</key><string>Desserts, Cakes</string>\n"
      "<key>directions</key><string>Beat &amp; bake.</string>\n"
      "<key>image</key><data>" + Base64(Jpeg(70, 70)) + "</data>\n"
      "<key>ingredients</key><array>\n"
      "<dict><key>name</key><string>ignored</string><key>quantity</key><string>2</string>"
      "<key>measurement</key><string>cups</string><key>description</key><string>flour</string>"
      "<key>direction</key><string>sifted</string></dict>\n"
      "<dict><key>quantity</key><string>3</string><key>description</key><string>eggs</string></dict>\n"
      "</array>\n"
      "<key>name</key><string>Sponge Cake</string>\n"
      "<key>servings</key><integer>8</integer>\n"
      "</dict>\n<dict><key>directions</key><string>no name</string></dict></array></plist>\n";
  WriteBytes(dir / "in.mgourmet", file);
  int format = 0;
  EXPECT_EQ(ImportList({dir / "in.mgourmet"}, format), 1);
  EXPECT_EQ(format, 16);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].title, "Sponge Cake");
  EXPECT_EQ(stored[0].chapter, "Desserts");
  EXPECT_EQ(stored[0].servings, 8);
  EXPECT_EQ(stored[0].ingredients, "2 cups flour, sifted\r3 eggs\r");
  EXPECT_EQ(stored[0].directions, "Beat & bake.\r");
  EXPECT_EQ(stored[0].photo.substr(0, 2), "\xFF\xD8");
  EXPECT_NE(ReadBytes(ctx.files.statusLog).find("XML KEY: ingredients"), std::string::npos);
}

}  // namespace
}  // namespace pantrela::testing
