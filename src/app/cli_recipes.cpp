// pantrela-cli commands of the recipe menu: copy, move and delete recipes
// named by title or by chapter.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "database/collection.h"
#include "database/recipe_ops.h"
#include "foundation/codepage.h"

namespace pantrela::cli {
namespace {

// Which recipes a command acts on: titles, or every recipe of a chapter,
// and for copy and move the chapter they go to.
struct Selection {
  std::vector<std::string> titles;  // UTF-8 as given
  std::string chapter;
  bool byChapter = false;
  std::string target;
  bool hasTarget = false;
};

bool ParseSelection(const std::vector<std::string>& args, bool wantTarget, Selection& sel) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--chapter" && hasValue && !sel.byChapter) {
      sel.chapter = args[++i];
      sel.byChapter = true;
    } else if (a == "--to" && hasValue && wantTarget && !sel.hasTarget) {
      sel.target = args[++i];
      sel.hasTarget = true;
    } else if (a.rfind("--", 0) == 0) {
      return false;
    } else {
      sel.titles.push_back(a);
    }
  }
  return (sel.byChapter != !sel.titles.empty()) && sel.hasTarget == wantTarget;
}

int64_t ChapterNamed(Collection& db, const std::string& name) {
  const int64_t key = db.FindChapterByName(Utf8ToCp1252(name));
  if (key <= kReservedKeyMax) std::fprintf(stderr, "pantrela-cli: no chapter named \"%s\"\n", name.c_str());
  return key <= kReservedKeyMax ? 0 : key;
}

// Lists the chapter (or all recipes) and checks the selected recipes, as a
// user does before choosing from the menu. False with a note when a title
// or the chapter is not found, or nothing is selected.
bool CheckSelection(Collection& db, const Selection& sel) {
  int64_t key = kChapterAll;
  if (sel.byChapter && (key = ChapterNamed(db, sel.chapter)) == 0) return false;
  db.ChooseChapter(key);
  db.BuildRecipeList();
  const ListModel& list = db.recipeList();
  for (uint32_t e : list.entries) db.SetChecked(e, sel.byChapter);
  for (const std::string& t : sel.titles) {
    const std::string title = Utf8ToCp1252(t);
    bool found = false;
    for (uint32_t e : list.entries)
      if (db.Entry(e).title() == title) {
        db.SetChecked(e, true);
        found = true;
      }
    if (!found) {
      std::fprintf(stderr, "pantrela-cli: no recipe titled \"%s\"\n", t.c_str());
      return false;
    }
  }
  if (CheckedRecipes(db).empty()) {
    std::fprintf(stderr, "pantrela-cli: %s\n", kNoRecipesSelected);
    return false;
  }
  return true;
}

int Transfer(Session& s, const std::vector<std::string>& args, bool move) {
  Selection sel;
  if (!ParseSelection(args, true, sel)) return kUsage;
  Collection& db = s.db();
  const int64_t to = ChapterNamed(db, sel.target);
  if (to == 0 || !CheckSelection(db, sel)) return kFailed;
  const size_t count = CheckedRecipes(db).size();
  if (!TransferCheckedRecipes(db, move, to)) return kFailed;
  std::fprintf(stderr, "%zu recipe%s %s to \"%s\"\n", count, count == 1 ? "" : "s", move ? "moved" : "copied",
               sel.target.c_str());
  return kOk;
}

int Copy(Session& s, const std::vector<std::string>& args) { return Transfer(s, args, false); }
int Move(Session& s, const std::vector<std::string>& args) { return Transfer(s, args, true); }

int Delete(Session& s, const std::vector<std::string>& args) {
  Selection sel;
  if (!ParseSelection(args, false, sel)) return kUsage;
  Collection& db = s.db();
  if (!CheckSelection(db, sel)) return kFailed;
  const size_t count = CheckedRecipes(db).size();
  if (!DeleteSelectedCommand(db)) return kFailed;  // asks first
  std::fprintf(stderr, "%zu recipe%s deleted\n", count, count == 1 ? "" : "s");
  return kOk;
}

}  // namespace

PANTRELA_CLI_COMMAND("copy", "copy --to CHAPTER (--chapter NAME | TITLE...)", Copy);
PANTRELA_CLI_COMMAND("move", "move --to CHAPTER (--chapter NAME | TITLE...)", Move);
PANTRELA_CLI_COMMAND("delete", "delete (--chapter NAME | TITLE...)", Delete);

}  // namespace pantrela::cli
