// The index screen's "Export>" button: the message without ticked recipes,
// the destination menu and an export to the clipboard.
#include <SDL.h>

#include "ui/ui_harness.h"

namespace pantrela::ui::testing {
namespace {

TEST_F(UiTest, ExportWithoutTickedRecipesSaysSo) {
  WriteSmallCollection();
  Open();
  bool sawMessage = false, sawMenu = true;
  steps.push_back([&] {
    for (uint32_t e : Db().recipeList().entries) Db().SetChecked(e, false);
    PushClick(CX(kIdExport), CY(kIdExport));
  });
  steps.push_back([&] {
    sawMessage = Shows("You have not selected any recipes!");
    sawMenu = Shows("Export to a File");
    PushKey(SDLK_RETURN);
  });
  Run();
  EXPECT_TRUE(sawMessage);
  EXPECT_FALSE(sawMenu);
}

TEST_F(UiTest, ExportToTheClipboardFromTheMenu) {
  WriteSmallCollection();
  Open();
  SDL_SetClipboardText("before");
  bool sawMenu = false, sawFormats = false;
  steps.push_back([&] {
    Db().ChooseChapter(1001);  // Breads: Bagels and Rye
    Db().BuildRecipeList();
    for (uint32_t e : Db().recipeList().entries) Db().SetChecked(e, true);
    PushClick(CX(kIdExport), CY(kIdExport));
  });
  steps.push_back([&] {
    sawMenu = ctx.popupUp && Gui().Find(widgets::kIdDropList) >= 0;
    PushKey(SDLK_DOWN);
  });
  steps.push_back([&] { PushKey(SDLK_DOWN); });
  steps.push_back([&] { PushKey(SDLK_RETURN); });  // Export to the Clipboard
  steps.push_back([&] {
    sawFormats = Shows("Select Format for Clipboard Copy");
    PushClick(CX(widgets::kIdButtonBase), CY(widgets::kIdButtonBase));  // OK on the own format
  });
  std::string clip;
  steps.push_back([&] {
    char* text = SDL_GetClipboardText();
    clip = text ? text : "";
    SDL_free(text);
  });
  Run();
  EXPECT_TRUE(sawMenu);
  EXPECT_TRUE(sawFormats);
  EXPECT_EQ(clip.rfind("Pantrela Chapter: Breads\r\n\r\nBagels\r\n======\r\nflour\r\n", 0), 0u) << clip;
  EXPECT_NE(clip.find("\r\nRye\r\n===\r\n"), std::string::npos) << clip;
}

}  // namespace
}  // namespace pantrela::ui::testing
