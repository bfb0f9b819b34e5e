#include "ui/manual_import_screen.h"

#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

// A plain text file of two recipes becomes two recipes with the keys alone:
// the arrows (Shift to extend) select, the buttons' letters mark, "S" saves
// and "F" finishes, answering the question about the marked recipe with
// Enter.
TEST_F(UiTest, ManualImportWithKeysAlone) {
  WriteSmallCollection();
  WriteBytes(dir / "two.txt",
             "Pancakes\r\nServes 4\r\n1 cup flour\r\n1 egg\r\nMix and fry.\r\n\r\n"
             "Omelette\r\n2 eggs\r\nBeat and\r\ncook.\r\n");
  Open();
  ManualImportScreen screen(*program->screens);
  auto key = [&](SDL_Keycode k, Uint16 mod = KMOD_NONE, const char* text = nullptr) {
    steps.push_back([=] { PushKey(k, mod, text); });
  };
  std::vector<std::string> instructions;
  std::string status;
  key(SDLK_t, KMOD_NONE, "t");
  key(SDLK_DOWN);
  key(SDLK_y, KMOD_NONE, "y");
  key(SDLK_DOWN);
  key(SDLK_DOWN, KMOD_LSHIFT);
  key(SDLK_i, KMOD_NONE, "i");
  key(SDLK_DOWN);
  key(SDLK_d, KMOD_NONE, "d");
  steps.push_back([&] {
    const widgets::Control* c = Gui().ById(kIdManualInstruction);
    instructions.push_back(c ? c->caption : "");
    PushKey(SDLK_s, KMOD_NONE, "s");
  });
  // Lines: 0 Pancakes, 1 Serves 4, 2-3 ingredients, 4 directions, 5 blank,
  // 6 Omelette, 7 ingredient, 8-9 directions.
  key(SDLK_END);
  key(SDLK_UP, KMOD_LSHIFT);
  key(SDLK_d, KMOD_NONE, "d");
  key(SDLK_UP);
  key(SDLK_UP);
  key(SDLK_t, KMOD_NONE, "t");
  steps.push_back([&] {
    const widgets::Control* c = Gui().ById(kIdManualStatus);
    status = c ? c->caption : "";
    PushKey(SDLK_DOWN);
  });
  key(SDLK_i, KMOD_NONE, "i");
  key(SDLK_f, KMOD_NONE, "f");
  key(SDLK_RETURN);  // "OK": save the marked recipe
  CollectionImportTarget target(Db());
  const int saved = ManualImportTextFile(ctx, target, screen, dir / "two.txt");
  EXPECT_EQ(saved, 2);
  EXPECT_EQ(status, "1 Recipes Saved");
  EXPECT_EQ(instructions, (std::vector<std::string>{"Click the Save button to import the marked lines."}));
  EXPECT_EQ(ctx.screen, kScreenRecipes);
  std::vector<std::pair<std::string, CurrentRecord>> found;
  for (uint32_t e : Db().EntryOffsets()) {
    EntryView v = Db().Entry(e);
    if (v.title() != "Pancakes" && v.title() != "Omelette") continue;
    Db().LoadCurrent(uint64_t(v.fileOffset()));
    found.emplace_back(std::string(v.title()), Db().current());
  }
  std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first > b.first; });
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].first, "Pancakes");
  EXPECT_EQ(found[0].second.servings(), 4);
  EXPECT_EQ(found[0].second.ingredients, "1 cup flour\r1 egg\r");
  EXPECT_EQ(found[0].second.directions, "Mix and fry.\r");
  EXPECT_EQ(found[1].first, "Omelette");
  EXPECT_EQ(found[1].second.ingredients, "2 eggs\r");
  EXPECT_EQ(found[1].second.directions, "Beat and cook.\r");
}

}  // namespace
}  // namespace pantrela::ui::testing

namespace pantrela::ui::testing {
namespace {

// The mouse: a press on a line and a drag over two more select three
// lines, a Shift-click extends the selection, the wheel scrolls a long file.
TEST_F(UiTest, ManualImportWithTheMouse) {
  WriteSmallCollection();
  std::string text;
  for (int i = 1; i <= 80; ++i) text += "Line " + std::to_string(i) + "\r\n";
  WriteBytes(dir / "long.txt", text);
  Open();
  ManualImportScreen screen(*program->screens);
  auto rowY = [&](int row) {
    const widgets::Control* list = Gui().ById(kIdManualList);
    return list->y1 + 1 + row * screen.RowHeight() + screen.RowHeight() / 2;
  };
  auto listX = [&] { return CX(kIdManualList); };
  steps.push_back([&] {
    PushMove(listX(), rowY(1));
    PushButton(true, listX(), rowY(1));
  });
  steps.push_back([&] { PushMove(listX(), rowY(2)); });
  steps.push_back([&] { PushMove(listX(), rowY(3)); });
  steps.push_back([&] { PushButton(false, listX(), rowY(3)); });
  steps.push_back([&] { PushKey(SDLK_i, KMOD_NONE, "i"); });
  steps.push_back([&] { PushClick(listX(), rowY(5)); });
  steps.push_back([&] {
    SDL_SetModState(KMOD_LSHIFT);
    PushClick(listX(), rowY(6));
  });
  steps.push_back([&] {
    SDL_SetModState(KMOD_NONE);
    PushKey(SDLK_d, KMOD_NONE, "d");
  });
  steps.push_back([&] {
    PushMove(listX(), rowY(4));
    PushWheel(-3);
  });
  steps.push_back([&] { PushClick(CX(kIdManualDown), CY(kIdManualDown)); });
  steps.push_back([&] { PushClick(CX(kIdManualFinished), CY(kIdManualFinished)); });
  // The screen, and what its lines hold when it closes.
  struct Recording : ManualImportView {
    ManualImportScreen& screen;
    std::vector<uint8_t> marks;
    int firstVisible = -1;
    explicit Recording(ManualImportScreen& s) : screen(s) {}
    int ListWidth() override { return screen.ListWidth(); }
    int ByteWidth(unsigned char c) override { return screen.ByteWidth(c); }
    bool Run(ManualImportSession& session, ManualLines& lines) override {
      const bool done = screen.Run(session, lines);
      for (const ManualLine& l : lines.lines) marks.push_back(l.mark);
      firstVisible = lines.firstVisible;
      return done;
    }
  } recording(screen);
  CollectionImportTarget target(Db());
  EXPECT_EQ(ManualImportTextFile(ctx, target, recording, dir / "long.txt"), 0);
  const std::vector<uint8_t>& got = recording.marks;
  ASSERT_EQ(got.size(), 80u);
  std::vector<uint8_t> want(80, kMarkNone);
  want[1] = want[2] = want[3] = kMarkIngredients;
  want[5] = want[6] = kMarkDirections;
  EXPECT_EQ(got, want);
  // Three notches down (three lines each) and one press of the down arrow.
  EXPECT_EQ(recording.firstVisible, 10);
}

}  // namespace
}  // namespace pantrela::ui::testing
