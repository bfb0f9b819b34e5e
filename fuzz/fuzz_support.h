// What the fuzz targets share: a scratch data folder of its own per target,
// a context on it that starts each input afresh, a small valid recipe file.
#pragma once

#include <stdlib.h>

#include <string>

#include "database/record.h"
#include "foundation/context.h"
#include "foundation/file.h"

namespace pantrela::fuzz {

inline const std::string& DataFolder(const char* target) {
  static std::string folder = [target] {
    std::string tmpl = std::string("/tmp/") + target + ".XXXXXX";
    const char* made = ::mkdtemp(tmpl.data());
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

// Points the context at the target's folder, with no log and no index.
inline void StartFresh(AppContext& ctx, const char* target) {
  ctx.SetFolders(DataFolder(target), DataFolder(target));
  ctx.log.Delete();
  DeleteFile(ctx.files.index);
}

// A chapter "Soups" (key 500) and two recipes of it, "Leek Soup" (record ID
// 10) and "Bean Soup" (11), built once.
inline const std::string& SoupsRecipeFile() {
  static std::string bytes = [] {
    std::string out;
    CurrentRecord r;
    r.title = "Soups";
    r.setChapterKey(500);
    r.setKind(kKindChapter);
    out += BuildRecordBytes(r, 1);
    r.Clear();
    r.title = "Leek Soup";
    r.ingredients = "2 leeks";
    r.setRecordId(10);
    r.setChapterKey(500);
    out += BuildRecordBytes(r, 2);
    r.title = "Bean Soup";
    r.setRecordId(11);
    out += BuildRecordBytes(r, 3);
    return out;
  }();
  return bytes;
}

}  // namespace pantrela::fuzz
