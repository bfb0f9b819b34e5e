// A damaged record opens in the view without harm, showing what can be read
// while the status log says what was wrong; and a save that cannot be
// written leaves the old version in place and says so.
#include <SDL.h>

#include "database/editing.h"
#include "support/file_faults.h"
#include "ui/recipe_view.h"
#include "ui/ui_harness.h"

namespace pantrela::ui::testing {
namespace {

// A record whose last field claims more bytes than the record holds.
std::string RecordWithRunawayField(int64_t id, int64_t chapter, const std::string& title) {
  std::string r = GenRecord(id, chapter, 0, {{1, title}, {3, "Stir well and serve."}});
  // Drop the end mark and let the directions claim 5000 bytes.
  r.resize(r.size() - 6);
  const size_t lengthAt = r.size() - 20 - 4;
  for (int i = 0; i < 4; ++i) r[lengthAt + size_t(i)] = char((5000 >> (8 * i)) & 0xFF);
  const uint32_t total = uint32_t(r.size());
  for (int i = 0; i < 4; ++i) r[size_t(i)] = char((total >> (8 * i)) & 0xFF);
  return r;
}

TEST_F(UiTest, ADamagedRecordShowsWhatCanBeReadAndTheLogSaysWhatWasWrong) {
  const std::string longTitle = "Stew " + std::string(400, 'x');
  WriteBytes(ctx.files.recipe,
             GenRecord(0, 1001, 2, {{1, "Soups"}}) +
                 GenRecord(11, 1001, 0,
                           {{1, longTitle},
                            {2, "1 cup b\x81" "eans\r2 leeks\x01\r\x8D\x90\x9D"},
                            {3, "Simmer."},
                            {5, std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0 broken", 18) + std::string(200, '\x7F')}}) +
                 RecordWithRunawayField(12, 1001, "Zucchini Soup"));
  Open();
  std::vector<ViewLine> first, second;
  steps = {
      [&] { PushKey(SDLK_RETURN); },  // paints the view of the damaged stew
      [&] {
        RecipeView v(*program->screens);
        v.Load(false);
        v.BuildLines();
        first = v.lines();
        PushKey(SDLK_RIGHT);
      },
      [&] {
        RecipeView v(*program->screens);
        v.Load(false);
        v.BuildLines();
        second = v.lines();
      },
  };
  Run();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0].kind, ViewLine::kTitle);
  EXPECT_EQ(first[0].text.rfind("Stew", 0), 0u);
  bool beans = false, simmer = false, photo = false;
  for (const ViewLine& l : first) {
    beans |= l.text.find("b\x81" "eans") != std::string::npos;
    simmer |= l.text == "Simmer.";
    photo |= l.kind == ViewLine::kPhoto;
  }
  EXPECT_TRUE(beans);
  EXPECT_TRUE(simmer);
  EXPECT_FALSE(photo);  // the photo cannot be decoded: it is left out
  bool stir = false;
  for (const ViewLine& l : second) stir |= l.text.find("Stir well") != std::string::npos;
  EXPECT_TRUE(stir);

  const std::string log = ReadBytes(ctx.files.statusLog);
  for (const char* line : {"Load Data Record - Title of 405 bytes cut to 256 (record 11)",
                           "Load Data Record - Ingredients holds 5 bytes that are not Windows-1252 text (record 11)",
                           "Recipe View - Photo cannot be shown: Stew",
                           "Load Data Record - Directions field of 5,000 bytes runs past the end of the record: 20 read "
                           "(record 12)"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(UiTest, ASaveOnAFullDiskKeepsTheOldVersionAndSaysSo) {
  WriteSmallCollection();
  Open();
  const std::string before = ReadBytes(ctx.files.recipe);
  bool told = false;
  std::unique_ptr<pantrela::testing::FileFault> full;
  steps = {
      [&] { PushKey(SDLK_RETURN); },
      [&] { PushClick(CX(kIdViewEdit), CY(kIdViewEdit)); },
      [&] {
        PushKey(SDLK_END);
        PushText(" Deluxe");
      },
      [&] {
        full = std::make_unique<pantrela::testing::FileFault>(pantrela::testing::FileFault::kWrite, 1, ENOSPC, true,
                                                              "Recipe");
        PushClick(CX(158), CY(158));  // Save
      },
      [&] {
        told = Shows(kSaveFailed);
        full.reset();
        PushKey(SDLK_RETURN);
      },
  };
  Run();
  EXPECT_TRUE(told);
  EXPECT_EQ(ReadBytes(ctx.files.recipe), before);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Angel Cake", "Bagels", "Minestrone", "Rye"}));
  const std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Save Record - Unable to write"), std::string::npos) << log;
}

}  // namespace
}  // namespace pantrela::ui::testing
