// A collection on a fresh data folder with scripted dialogs, and a writer of
// raw records laid out by hand for damaged and foreign files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/collection.h"
#include "foundation/file.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

inline std::string LE(uint64_t v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
  return s;
}

struct RawField {
  uint16_t type;
  std::string data;
};

// A record byte for byte: header, the given fields, end mark.
inline std::string RawRecord(int64_t recordId, int64_t chapterKey, uint8_t kind, const std::vector<RawField>& fields,
                             int64_t stamp = 7, uint8_t servings = 0) {
  std::string body;
  for (const auto& f : fields) body += LE(f.type, 2) + LE(f.data.size(), 4) + f.data;
  body += LE(65535, 2) + LE(0, 4);
  std::string h = LE(36 + body.size(), 4) + "QXRS" + LE(uint64_t(stamp), 8) + LE(uint64_t(recordId), 8) +
                  LE(uint64_t(chapterKey), 8) + std::string(1, char(kind)) + std::string(1, '\0') +
                  std::string(1, char(servings)) + std::string(1, '\0');
  return h + body;
}

inline std::string RawRecipe(int64_t id, int64_t chapter, const std::string& title, const std::string& ingr = "",
                             const std::string& dirs = "") {
  std::vector<RawField> f{{1, title}};
  if (!ingr.empty()) f.push_back({2, ingr});
  if (!dirs.empty()) f.push_back({3, dirs});
  return RawRecord(id, chapter, 0, f);
}

inline std::string RawChapter(int64_t key, const std::string& name) { return RawRecord(0, key, 2, {{1, name}}); }

class DbTest : public ::testing::Test {
 protected:
  DbTest() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }

  std::string Log() const { return ReadBytes(ctx.files.statusLog); }
  bool Logged(const std::string& line) const { return Log().find(line + "\r\n") != std::string::npos; }

  // Appends a recipe through the current record.
  uint32_t Add(const std::string& title, int64_t chapter, const std::string& ingr = "", const std::string& dirs = "",
               uint8_t kind = kKindRecipe) {
    db.ClearCurrent();
    auto& r = db.current();
    r.title = title;
    r.ingredients = ingr;
    r.directions = dirs;
    r.setChapterKey(chapter);
    r.setKind(kind);
    r.setRecordId(ctx.ids.Make());
    return db.AppendCurrent();
  }

  // Titles of the current recipe list.
  std::vector<std::string> RecipeTitles() const {
    std::vector<std::string> out;
    for (uint32_t e : db.recipeList().entries) out.emplace_back(db.Entry(e).title());
    return out;
  }
  std::vector<std::string> ChapterNames() const {
    std::vector<std::string> out;
    for (uint32_t e : db.chapterList().entries) out.emplace_back(db.Entry(e).title());
    return out;
  }
  // All entries of the index in memory order as "kind:title".
  std::vector<std::string> IndexTitles() const {
    std::vector<std::string> out;
    for (uint32_t e : db.EntryOffsets()) out.push_back(std::to_string(db.Entry(e).kind()) + ":" + std::string(db.Entry(e).title()));
    return out;
  }

  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  Collection db{ctx};
};

}  // namespace pantrela::testing
