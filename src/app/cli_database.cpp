// pantrela-cli commands of the recipe database: chapters, list, show,
// search, cleanup, add-chapter, delete-chapter.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "database/collection.h"
#include "database/listing.h"
#include "database/search.h"
#include "foundation/codepage.h"

namespace pantrela::cli {
namespace {

// Command-line texts arrive in UTF-8; the collection holds Windows-1252.
std::string Arg(const std::string& utf8) { return Utf8ToCp1252(utf8); }

// Takes "--chapter NAME" out of the arguments; false on a missing name.
bool TakeOption(std::vector<std::string>& args, const char* option, std::string& value, bool& given) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != option) continue;
    if (i + 1 >= args.size()) return false;
    value = args[i + 1];
    given = true;
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    return true;
  }
  return true;
}

// Takes a flag such as "--json" out of the arguments; true when it was there.
bool TakeFlag(std::vector<std::string>& args, const char* flag) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == flag) {
      args.erase(args.begin() + long(i));
      return true;
    }
  return false;
}

void PrintUtf8(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

// The chapter key of a name, or 0 with a note on standard error.
int64_t ChapterKeyOf(Collection& db, const std::string& name) {
  int64_t key = db.FindChapterByName(Arg(name));
  if (key == 0) std::fprintf(stderr, "pantrela-cli: no chapter named \"%s\"\n", name.c_str());
  return key;
}

int Chapters(Session& s, const std::vector<std::string>& args) {
  if (!args.empty()) return kUsage;
  Collection& db = s.db();
  PrintText(stdout, ChapterListText(db));
  return kOk;
}

int List(Session& s, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string chapter;
  bool given = false;
  const bool json = TakeFlag(args, "--json");
  if (!TakeOption(args, "--chapter", chapter, given) || !args.empty()) return kUsage;
  Collection& db = s.db();
  int64_t key = kChapterAll;
  if (given && (key = ChapterKeyOf(db, chapter)) == 0) return kFailed;
  db.ChooseChapter(key);
  db.BuildRecipeList();
  if (!json) {
    PrintText(stdout, RecipeListText(db));
    return kOk;
  }
  // A JSON array with one object a line.
  const std::vector<uint32_t> entries = db.recipeList().entries;
  PrintUtf8("[");
  for (size_t i = 0; i < entries.size(); ++i) {
    db.LoadCurrent(uint64_t(db.Entry(entries[i]).fileOffset()));
    PrintUtf8((i == 0 ? "\n" : ",\n") + RecipeJson(db, db.current()));
  }
  PrintUtf8(entries.empty() ? "]\n" : "\n]\n");
  return kOk;
}

int Show(Session& s, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1) return kUsage;
  Collection& db = s.db();
  uint32_t e = FindRecipeByTitle(db, Arg(args[0]));
  if (e == kNoEntry) {
    std::fprintf(stderr, "pantrela-cli: no recipe titled \"%s\"\n", args[0].c_str());
    return kFailed;
  }
  db.LoadCurrent(uint64_t(db.Entry(e).fileOffset()));
  if (json) PrintUtf8(RecipeJson(db, db.current()) + "\n");
  else PrintText(stdout, RecipeText(db.current()));
  return kOk;
}

int Search(Session& s, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::string fields = "t", chapter;
  bool fieldsGiven = false, chapterGiven = false;
  if (!TakeOption(args, "--fields", fields, fieldsGiven) || !TakeOption(args, "--chapter", chapter, chapterGiven))
    return kUsage;
  if (args.size() != 1 || fields.find_first_not_of("tid") != std::string::npos) return kUsage;
  Collection& db = s.db();
  SearchRequest request;
  request.text = Arg(args[0]).substr(0, kMaxSearchText);
  request.titles = fields.find('t') != std::string::npos;
  request.ingredients = fields.find('i') != std::string::npos;
  request.directions = fields.find('d') != std::string::npos;
  if (chapterGiven && (request.scope = ChapterKeyOf(db, chapter)) == 0) return kFailed;
  if (!ConfirmSearchRequest(db.dialogs(), request)) return kFailed;
  RunSearch(db, request);
  PrintText(stdout, RecipeListText(db));
  return kOk;
}

int Cleanup(Session& s, const std::vector<std::string>& args) {
  if (!args.empty()) return kUsage;
  Collection& db = s.db();
  return db.CleanUp() ? kOk : kFailed;
}

int AddChapter(Session& s, const std::vector<std::string>& args) {
  if (args.size() != 1) return kUsage;
  std::string name = TrimSpaces(Arg(args[0]));
  if (name.empty()) return kUsage;
  Collection& db = s.db();
  if (db.CreateChapter(name) == 0 || !db.SortAndSaveIndex()) return kFailed;
  db.LoadMasterIndex();
  return kOk;
}

int DeleteChapter(Session& s, const std::vector<std::string>& args) {
  if (args.size() != 1) return kUsage;
  Collection& db = s.db();
  int64_t key = ChapterKeyOf(db, args[0]);
  if (key == 0) return kFailed;
  db.ChooseChapter(key);
  db.DeleteChapter();  // asks, and refuses the reserved chapters
  for (uint32_t e : db.chapterList().entries)
    if (db.Entry(e).chapterKey() == key) return kFailed;
  return kOk;
}

}  // namespace

PANTRELA_CLI_COMMAND("chapters", "chapters", Chapters);
PANTRELA_CLI_COMMAND("list", "list [--json] [--chapter NAME]", List);
PANTRELA_CLI_COMMAND("show", "show [--json] TITLE", Show);
PANTRELA_CLI_COMMAND("search", "search [--fields tid] [--chapter NAME] QUERY", Search);
PANTRELA_CLI_COMMAND("cleanup", "cleanup", Cleanup);
PANTRELA_CLI_COMMAND("add-chapter", "add-chapter NAME", AddChapter);
PANTRELA_CLI_COMMAND("delete-chapter", "delete-chapter NAME", DeleteChapter);

}  // namespace pantrela::cli
