#include "import_fixture.h"

#include <algorithm>

#include "foundation/file.h"
#include "import/import_files.h"

namespace pantrela::testing {

void ImportTest::SetUp() {
  ctx.SetFolders(dir.path(), dir.path());
  ctx.SetDialogs(&dialogs);
  collection = std::make_unique<Collection>(ctx);
  OpenCollection(*collection);
}

std::vector<StoredRecipe> ImportTest::Stored() {
  std::vector<std::pair<int64_t, uint32_t>> byOffset;
  for (uint32_t off : collection->EntryOffsets()) {
    EntryView e = collection->Entry(off);
    if (e.kind() == kKindRecipe || e.kind() == kKindInfo) byOffset.emplace_back(e.fileOffset(), off);
  }
  std::sort(byOffset.begin(), byOffset.end());
  std::vector<StoredRecipe> out;
  for (auto& [fileOffset, off] : byOffset) {
    collection->LoadCurrent(uint64_t(fileOffset));
    const CurrentRecord& r = collection->current();
    out.push_back({r.title, r.ingredients, r.directions, collection->ChapterNameByKey(r.chapterKey()), r.kind(),
                   r.servings(), r.photo});
  }
  return out;
}

int ImportTest::ImportText(const std::string& text, int format, const std::string& name) {
  WriteBytes(dir / name, text);
  return ImportList({dir / name}, format);
}

int ImportTest::ImportList(const std::vector<std::string>& files, int& format) {
  CollectionImportTarget target(*collection);
  return ImportFiles(ctx, target, format, files);
}

void ImportTest::StartEmpty() {
  collection = std::make_unique<Collection>(ctx);
  DeleteFile(ctx.files.recipe);
  DeleteFile(ctx.files.index);
  OpenCollection(*collection);
}

void ImportTest::EmptyTemp() {
  DeleteTree(dir / "temp");
  CreateFolders(dir / "temp/");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t cr = text.find('\r', start);
    if (cr == std::string::npos) cr = text.size();
    lines.push_back(text.substr(start, cr - start));
    start = cr + 1;
  }
  return lines;
}

}  // namespace pantrela::testing
