#include "import/mastercook.h"

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
  image.rgba.assign(size_t(w) * size_t(h) * 4, 120);
  std::string jpeg;
  EXPECT_TRUE(platform::EncodeJpeg(image, jpeg));
  return jpeg;
}

// The text export as this program's own Mastercook writer lays it out, and
// as older exports do.
TEST_F(ImportTest, MastercookTextRecipes) {
  ctx.settings.import_chapter = 1;
  const std::string file =
      "                    *  Exported from  Mastercook  *\r\n"
      "\r\n"
      "                               Onion Soup\r\n"
      "\r\n"
      "Recipe By     : Someone\r\n"
      "Serving Size  : 4     Preparation Time :0:00\r\n"
      "Categories    : Main Dish                        Poultry\r\n"
      "\r\n"
      "  Amount  Measure       Ingredient -- Preparation Method\r\n"
      "--------  ------------  --------------------------------\r\n"
      "   1 1/2  cups          onions -- sliced\r\n"
      "                        -- finely chopped\r\n"
      "   2      tablespoons   butter\r\n"
      "\r\n"
      "Melt the butter.  Add the onions and\r\n"
      "cook slowly.\r\n"
      "\r\n"
      "Serve hot.\r\n"
      "\r\n"
      "                   - - - - - - - - - - - - - - - - - -\r\n"
      "\r\n"
      "* Exported from MasterCook *\r\n"
      "\r\n"
      "                               Bare Title\r\n"
      "\r\n"
      "* Exported from MasterCook *\r\n"
      "\r\n"
      "                               Tea\r\n"
      "\r\n"
      "Recipe By     : x\r\n"
      "\r\n"
      "Serving Size  : 1\r\n"
      "Categories    : Drinks\tHot\r\n"
      "\r\n"
      "\r\n"
      "  1        cup           water\r\n"
      "\r\n"
      "Boil.\r\n";
  int format = 0;
  EXPECT_EQ(ImportText(file, format, "in.txt"), 3);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].title, "Onion Soup");
  EXPECT_EQ(stored[0].chapter, "Main Dish");
  EXPECT_EQ(stored[0].servings, 4);
  EXPECT_EQ(Lines(stored[0].ingredients),
            (std::vector<std::string>{"1-1/2 cups onions, sliced finely chopped", "2 tablespoons butter"}));
  EXPECT_EQ(stored[0].directions, "Melt the butter. Add the onions and cook slowly.\r\rServe hot.\r");
  // A recipe with only its title is kept; the next header ends it.
  EXPECT_EQ(stored[1].title, "Bare Title");
  // Header fields with empty lines between them; a tab ends the category.
  EXPECT_EQ(stored[2].title, "Tea");
  EXPECT_EQ(stored[2].chapter, "Drinks");
  EXPECT_EQ(stored[2].servings, 1);
  EXPECT_EQ(stored[2].ingredients, "1 cup water\r");
  EXPECT_EQ(stored[2].directions, "Boil.\r");
}

TEST_F(ImportTest, MastercookXmlRecipes) {
  ctx.settings.import_chapter = 1;
  WriteBytes(dir / "pie.jpg", Jpeg(80, 80));
  const std::string file =
      "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"ISO-8859-1\"?>\r\n"
      "<!DOCTYPE mx2 SYSTEM \"mx2.dtd\">\r\n<mx2 source=\"x\">\r\n"
      "<RcpE name=\"Apple Pie\" author=\"n/a\" img=\"../pie.jpg\">\r\n"
      "<Serv qty=\"8\"/>\r\n<CatS><CatT>Desserts</CatT><CatT>Pies</CatT></CatS>\r\n"
      "<IngR name=\"flour\" unit=\"cup\" qty=\"1\" code=\"I\"><IPrp>sifted</IPrp></IngR>\r\n"
      "<IngR name=\"FILLING\" code=\"T\"></IngR>\r\n"
      "<IngR name=\"apples\" qty=\"6\" code=\"I\"><IPrp></IPrp></IngR>\r\n"
      "<IngR name=\"Image:x.jpg\" code=\"I\"></IngR>\r\n"
      "<IngR name=\"sugar\" unit=\"tablespoons\" qty=\"2\" code=\"I\"/>\r\n"
      "<DirS><DirT>Mix &amp; fill.</DirT><DirT>Bake.</DirT></DirS>\r\n"
      "<Srce>Grandma</Srce><AltS label=\"web\" source=\"example.org\"/><Note>Freezes well.</Note>\r\n"
      "</RcpE>\r\n"
      "<RcpE name=\"No Picture\" img=\"missing.jpg\"><DirS><DirT>Eat.</DirT></DirS></RcpE>\r\n"
      "<RcpE name=\"Cut Off\"><DirS><DirT>Stir.</DirT></DirS>\r\n<IngR name=\"salt\" qty";
  WriteBytes(dir / "in.mx2", file);
  int format = 0;
  EXPECT_EQ(ImportList({dir / "in.mx2"}, format), 3);
  EXPECT_EQ(format, 18);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].title, "Apple Pie");
  EXPECT_EQ(stored[0].servings, 8);
  EXPECT_EQ(stored[0].chapter, "Desserts");
  EXPECT_EQ(Lines(stored[0].ingredients),
            (std::vector<std::string>{"1 cup flour, sifted", "", "FILLING", "6 apples", "2 tablespoons sugar"}));
  EXPECT_EQ(stored[0].directions,
            "Mix & fill.\r\rBake.\r\rSource: Grandma\r\rSource: example.org\r\rNote: Freezes well.\r");
  // The picture is looked for beside the file only, by its bare name; a
  // missing one leaves the recipe without a photo.
  EXPECT_EQ(stored[0].photo.substr(0, 2), "\xFF\xD8");
  EXPECT_TRUE(stored[1].photo.empty());
  // A file cut off inside a recipe keeps what was read of it.
  EXPECT_EQ(stored[2].title, "Cut Off");
  EXPECT_EQ(stored[2].directions, "Stir.\r");

}

}  // namespace
}  // namespace pantrela::testing
