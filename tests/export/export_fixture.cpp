#include "export_fixture.h"

#include <algorithm>

namespace pantrela::testing {

void ExportTest::SetUp() {
  ctx.SetFolders(dir.path(), dir.path());
  ctx.files.tempFolder = dir.path();
  ctx.SetDialogs(&dialogs);
  collection = std::make_unique<Collection>(ctx);
  OpenCollection(*collection);
}

void ExportTest::Add(const std::vector<RecipeData>& recipes) {
  for (const RecipeData& r : recipes) {
    const int64_t key = collection->FindOrCreateUserChapter(r.chapter);
    CurrentRecord& c = collection->current();
    c.Clear();
    c.title = r.title;
    c.ingredients = r.ingredients;
    c.directions = r.directions;
    c.photo = r.photo;
    c.setServings(uint8_t(r.servings));
    c.setKind(uint8_t(r.kind));
    c.setChapterKey(key);
    c.setRecordId(ctx.ids.Make());
    ASSERT_NE(collection->AppendCurrent(), kNoEntry);
  }
  collection->SortAndSaveIndex();
  collection->BuildChapterList();
  collection->SelectChapterByKey(kChapterAll);
  collection->BuildRecipeList();
}

void ExportTest::Tick(const std::vector<std::string>& titles) {
  for (uint32_t e : collection->recipeList().entries) {
    const std::string title(collection->Entry(e).title());
    collection->SetChecked(e, titles.empty() || std::find(titles.begin(), titles.end(), title) != titles.end());
  }
}

ExportJob ExportTest::Job() {
  ExportStyle style;
  style.webAddress = "https://pantrela.example/";
  return ExportJob{*collection, dialogs, style};
}

std::vector<RecipeData> ExportTest::Stored() {
  std::vector<std::pair<int64_t, uint32_t>> byOffset;
  for (uint32_t off : collection->EntryOffsets()) {
    EntryView e = collection->Entry(off);
    if (e.kind() == kKindRecipe || e.kind() == kKindInfo) byOffset.emplace_back(e.fileOffset(), off);
  }
  std::sort(byOffset.begin(), byOffset.end());
  std::vector<RecipeData> out;
  for (auto& [fileOffset, off] : byOffset) {
    collection->LoadCurrent(uint64_t(fileOffset));
    const CurrentRecord& r = collection->current();
    out.push_back({collection->ChapterNameByKey(r.chapterKey()), r.title, r.ingredients, r.directions, r.servings(),
                   r.kind(), r.photo});
  }
  return out;
}

}  // namespace pantrela::testing
