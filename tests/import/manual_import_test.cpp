#include "import/manual_import.h"

#include <functional>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import/import_formats.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

// A screen that runs a script on the session instead of waiting for input.
class ScriptedView : public ManualImportView {
 public:
  int width = 1000;
  std::function<bool(ManualImportSession&, ManualLines&)> script;
  int runs = 0;
  int ListWidth() override { return width; }
  int ByteWidth(unsigned char) override { return 8; }
  bool Run(ManualImportSession& s, ManualLines& l) override {
    ++runs;
    return script ? script(s, l) : true;
  }
};

std::vector<std::string> Texts(const ManualLines& l) {
  std::vector<std::string> out;
  for (const ManualLine& line : l.lines) out.push_back(line.text);
  return out;
}

void Select(ManualLines& l, int from, int to) {
  l.anchor = from;
  l.current = to;
}

TEST_F(ImportTest, ManualLinesAreLoadedCleanedAndWrapped) {
  struct Case {
    const char* name;
    std::string text;
    int width;
    std::vector<std::string> lines;
  } cases[] = {
      {"breaks", "\r\n\r\nOne\r\nTwo\rThree\nFour", 1000, {"One", "Two", "Three", "Four"}},
      {"blank runs", "A\r\n\r\n\r\n  \r\nB\r\n\r\n", 1000, {"A", "", "B", ""}},
      {"leading marks", "# Title\r\n- 1 egg\r\n~~ note\r\n+|#x\r\n1/2 cup milk\r\n&amp; more", 1000,
       {"Title", "1 egg", "note", "x", "1/2 cup milk", "& more"}},
      // 8 pixels a byte: a 100-pixel list wraps where 80 pixels are reached.
      {"wrap at space", "aaaa bbbb cccc dddd", 100, {"aaaa bbbb", "cccc dddd"}},
      {"wrap inside a word", "aaaa bbbbbbbb cc", 100, {"aaaa", "bbbbbbbb", "cc"}},
      {"long word", std::string(200, 'w'), 5000, {std::string(148, 'w'), std::string(52, 'w')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir / "m.txt", c.text);
    ManualLines lines;
    ASSERT_TRUE(LoadManualLines(ctx, dir / "m.txt", c.width, [](unsigned char) { return 8; }, lines));
    EXPECT_EQ(Texts(lines), c.lines);
  }
  // Only the first 256000 bytes are shown.
  std::string big;
  while (big.size() < 300000) big += "line " + std::to_string(big.size()) + "\r\n";
  WriteBytes(dir / "big.txt", big);
  ManualLines lines;
  ASSERT_TRUE(LoadManualLines(ctx, dir / "big.txt", 1000, [](unsigned char) { return 8; }, lines));
  size_t shown = 0;
  for (const ManualLine& l : lines.lines) shown += l.text.size() + 2;
  EXPECT_LE(shown, kManualBytesMax + 2);
  EXPECT_GT(shown, kManualBytesMax - 20);
  // The space bar stops the loading: no lines.
  dialogs.stopAfterPolls = 0;
  EXPECT_FALSE(LoadManualLines(ctx, dir / "big.txt", 1000, [](unsigned char) { return 8; }, lines));
  EXPECT_TRUE(lines.lines.empty());
  EXPECT_EQ(dialogs.progressLines.back().rfind("Loading Manual Import|Press space bar to cancel|", 0), 0u);
}

TEST_F(ImportTest, ManualMarkingAndSaving) {
  const std::string text =
      "Grandma's Apple\r\nPie\r\nServes 6 to 8\r\n2 cups flour\r\n\r\n1 cup butter\r\nMix it.\r\n\r\nBake it.\r\n"
      "Second Dish\r\n1 egg\r\nBoil.\r\n";
  WriteBytes(dir / "two.txt", text);
  ScriptedView view;
  view.script = [&](ManualImportSession& s, ManualLines& l) {
    EXPECT_EQ(s.Instruction(), "Highlight the line containing the recipe title, then click the Title button.");
    EXPECT_FALSE(s.Save());  // nothing marked
    Select(l, 0, 1);
    s.Mark(kMarkTitle);
    EXPECT_EQ(s.Instruction(),
              "Highlight the lines containing the recipe ingredients, then click the Ingredient button.");
    Select(l, 2, 2);
    s.Mark(kMarkYield);
    Select(l, 7, 8);  // "Mix it." .. "Bake it."
    s.Mark(kMarkDirections);
    EXPECT_FALSE(s.Save());  // no ingredients yet
    Select(l, 3, 6);
    s.Mark(kMarkIngredients);
    Select(l, 6, 6);
    s.Mark(kMarkDirections);  // "Mix it." belongs to the directions
    EXPECT_EQ(s.Instruction(), "Click the Save button to import the marked lines.");
    // A new title while a recipe is marked: "Cancel" keeps both sets of marks.
    dialogs.buttons.push_back(2);
    Select(l, 9, 9);
    s.Mark(kMarkTitle);
    EXPECT_EQ(MarkedSegments(l), 7);
    Select(l, 9, 9);
    s.Mark(kMarkNone);
    EXPECT_TRUE(s.Save());
    EXPECT_EQ(MarkedSegments(l), 0);
    EXPECT_EQ(s.Status(), "1 Recipes Saved");
    // The second recipe; "OK" to the question at "Finished" saves it.
    Select(l, 9, 9);
    s.Mark(kMarkTitle);
    Select(l, 10, 10);
    s.Mark(kMarkIngredients);
    Select(l, 11, 11);
    s.Mark(kMarkDirections);
    dialogs.buttons.push_back(1);
    s.Finish();
    EXPECT_EQ(s.saved(), 2);
    return true;
  };
  int format = kFormatManual;
  EXPECT_EQ(ImportList({dir / "two.txt", dir / "two.txt"}, format), 0);
  EXPECT_EQ(view.runs, 0);  // no screen: told it is not recognized
  format = kFormatManual;
  CollectionImportTarget target(*collection);
  EXPECT_EQ(ImportFiles(ctx, target, format, {dir / "two.txt", dir / "two.txt"}, &view), 2);
  EXPECT_EQ(view.runs, 1);  // "Finished" ends the list
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].title, "Grandma's Apple Pie");
  EXPECT_EQ(stored[0].servings, 6);
  EXPECT_EQ(stored[0].ingredients, "2 cups flour\r\r1 cup butter\r");
  EXPECT_EQ(stored[0].directions, "Mix it.\r\rBake it.\r");
  EXPECT_EQ(stored[1].title, "Second Dish");
  EXPECT_EQ(stored[1].ingredients, "1 egg\r");
  const std::vector<std::string> messages = dialogs.Messages();
  const std::vector<std::string> expected = {
      "The format of this file was not recognized:||two.txt",
      "The format of this file was not recognized:||two.txt",
      "You have not defined a title segment",
      "You have not defined an ingredients segment",
      "A recipe is currently marked.|Do you want to save it?",
      "A recipe is currently marked.|Do you want to save it?",
  };
  EXPECT_EQ(messages, expected);
}

TEST_F(ImportTest, UnrecognizedFileOpensInManualImport) {
  WriteBytes(dir / "notes.txt", "Just some text\r\nabout nothing\r\n");
  ScriptedView view;
  std::vector<std::string> seen;
  view.script = [&](ManualImportSession& s, ManualLines& l) {
    seen = Texts(l);
    Select(l, 1, 1);
    s.Mark(kMarkTitle);
    s.EditLine();  // the form answers its default button with the text unchanged
    return false;  // left without "Finished" (the program closing)
  };
  dialogs.formAnswers.push_back({"About Something"});
  int format = 0;
  CollectionImportTarget target(*collection);
  EXPECT_EQ(ImportFiles(ctx, target, format, {dir / "notes.txt", dir / "notes.txt"}, &view), 0);
  EXPECT_EQ(format, 0);
  EXPECT_EQ(view.runs, 2);  // without "Finished" the next file opens too
  EXPECT_EQ(seen, (std::vector<std::string>{"Just some text", "about nothing"}));
  ASSERT_FALSE(dialogs.shown.empty());
  bool edited = false;
  for (const Shown& s : dialogs.shown) edited = edited || (s.kind == "form" && s.text == "Edit Line -  150");
  EXPECT_TRUE(edited);

  // The entry for a text file on its own.
  view.script = [&](ManualImportSession& s, ManualLines& l) {
    Select(l, 0, 0);
    s.Mark(kMarkTitle);
    Select(l, 1, 1);
    s.Mark(kMarkDirections);
    return true;
  };
  WriteBytes(dir / "manual.txt", "A Title\r\nSome text.\r\n");
  EXPECT_EQ(ManualImportTextFile(ctx, target, view, dir / "manual.txt"), 0);  // no ingredients: Finish saves nothing
  view.script = [&](ManualImportSession& s, ManualLines& l) {
    Select(l, 0, 0);
    s.Mark(kMarkTitle);
    Select(l, 1, 1);
    s.Mark(kMarkIngredients);
    s.Mark(kMarkDirections);
    Select(l, 1, 1);
    s.Mark(kMarkIngredients);
    l.lines.push_back({kMarkDirections, "Stir."});
    EXPECT_TRUE(s.Save());
    return true;
  };
  EXPECT_EQ(ManualImportTextFile(ctx, target, view, dir / "manual.txt"), 1);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].title, "A Title");
  EXPECT_EQ(stored[0].directions, "Stir.\r");
}

}  // namespace
}  // namespace pantrela::testing
