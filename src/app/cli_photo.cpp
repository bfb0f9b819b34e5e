// pantrela-cli set-photo and get-photo: the editor's "Load Photo" and
// "Save Photo" for a recipe named by its title.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "database/collection.h"
#include "database/editing.h"
#include "database/listing.h"
#include "database/master_index.h"
#include "database/photo.h"
#include "foundation/codepage.h"
#include "foundation/file.h"

namespace pantrela::cli {
namespace {

// Loads the recipe with that title into the current record; kNoEntry with a
// note on standard error when there is none.
uint32_t LoadByTitle(Collection& db, const std::string& titleUtf8) {
  const uint32_t e = FindRecipeByTitle(db, Utf8ToCp1252(titleUtf8));
  if (e == kNoEntry) {
    std::fprintf(stderr, "pantrela-cli: no recipe titled \"%s\"\n", titleUtf8.c_str());
    return kNoEntry;
  }
  db.LoadCurrent(uint64_t(db.Entry(e).fileOffset()));
  return e;
}

int SetPhoto(Session& s, const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  Collection& db = s.db();
  const uint32_t e = LoadByTitle(db, args[0]);
  if (e == kNoEntry) return kFailed;
  if (!Exists(args[1]) || IsDirectory(args[1])) {
    std::fprintf(stderr, "pantrela-cli: no file \"%s\"\n", args[1].c_str());
    return kFailed;
  }
  int lines = 0;
  if (!LoadImageFile(s.ctx, db.dialogs(), args[1], db.current().photo, lines)) return kFailed;
  const bool hit = db.Entry(e).flags() & kFlagHit;
  return SaveCurrentRecord(db, e, hit) ? kOk : kFailed;
}

int GetPhoto(Session& s, const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  Collection& db = s.db();
  if (LoadByTitle(db, args[0]) == kNoEntry) return kFailed;
  const std::string& photo = db.current().photo;
  if (!HasPhoto(db.current())) {
    db.dialogs().Message(kNoPhotoAttached, "OK", 1);
    return kFailed;
  }
  const std::string out = PhotoFileName(args[1], photo);
  if (!WriteFileAtomic(out, photo)) {
    std::fprintf(stderr, "pantrela-cli: could not write \"%s\"\n", out.c_str());
    return kFailed;
  }
  std::printf("%s\n", out.c_str());
  return kOk;
}

}  // namespace

PANTRELA_CLI_COMMAND("set-photo", "set-photo TITLE FILE", SetPhoto);
PANTRELA_CLI_COMMAND("get-photo", "get-photo TITLE OUT", GetPhoto);

}  // namespace pantrela::cli
