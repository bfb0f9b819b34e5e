// "Export>" on the recipe view: the recipe on show goes to a tablet over FTP
// (a loopback pyftpdlib server), through the same menu, format choice and
// settings form as the index screen's export; the user's ticks stay.
#include <SDL.h>

#include "support/ftp_server.h"
#include "ui/recipe_view.h"
#include "ui/ui_harness.h"

namespace pantrela::ui::testing {
namespace {

TEST_F(UiTest, TheViewExportsTheRecipeOnShowToATablet) {
  pantrela::testing::TempDir root;
  std::unique_ptr<pantrela::testing::Child> server;
  const int port = pantrela::testing::StartFtpServer(server, root.path(), dir / "ftp.log");
  if (port == 0) GTEST_SKIP() << "pyftpdlib is not available";
  ctx.settings.ftp_mobi = "127.0.0.1 " + std::to_string(port) + " Documents u pw Book.mobi";
  WriteSmallCollection();
  Open();
  bool sawMenu = false, sawBookForm = false, sawForm = false, uploaded = false;
  uint32_t bagels = 0;
  steps = {
      [&] {
        bagels = Db().recipeList().entries[1];
        for (uint32_t e : Db().recipeList().entries) Db().SetChecked(e, e == bagels);  // the user's tick
        PushKey(SDLK_RETURN);           // the view of "Angel Cake"
      },
      [&] { PushClick(CX(kIdViewExport), CY(kIdViewExport)); },
      [&] {
        sawMenu = ctx.popupUp && Gui().Find(widgets::kIdDropList) >= 0;
        for (int i = 0; i < 4; ++i) PushKey(SDLK_DOWN);
      },
      [&] { PushKey(SDLK_RETURN); },  // Export to your Tablet
      [&] { PushClick(CX(widgets::kIdButtonBase), CY(widgets::kIdButtonBase)); },  // OK on MOBI
      [&] {
        sawBookForm = Shows("Enter a title and author for your book");
        PushClick(CX(widgets::kIdButtonBase), CY(widgets::kIdButtonBase));  // OK on the book's title
      },
      [&] {
        sawForm = Shows("Enter Settings for FTP Server (MOBI Format)");
        PushClick(CX(widgets::kIdButtonBase), CY(widgets::kIdButtonBase));  // OK on the stored settings
      },
      [&] {
        uploaded = Shows("File Uploaded Successfuly");
        PushKey(SDLK_RETURN);
      },
  };
  Run();
  EXPECT_TRUE(sawMenu);
  EXPECT_TRUE(sawBookForm);
  EXPECT_TRUE(sawForm);
  EXPECT_TRUE(uploaded);
  const std::string book = ReadBytes(root.path() + "Documents/Book.mobi");
  ASSERT_GT(book.size(), 68u);
  EXPECT_EQ(book.substr(60, 8), "BOOKMOBI");
  EXPECT_NE(book.find("Angel Cake"), std::string::npos);
  EXPECT_EQ(book.find("Bagels"), std::string::npos);
  for (uint32_t e : Db().recipeList().entries) EXPECT_EQ(Db().IsChecked(e), e == bagels);
}

}  // namespace
}  // namespace pantrela::ui::testing
