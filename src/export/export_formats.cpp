#include "export/export_formats.h"

#include "foundation/text_list.h"
#include "ingredients/text_ops.h"

namespace pantrela {

const std::array<ExportFormatInfo, kExportFormatCount> kExportFormats = {{
    {kExportOwnText, "Pantrela", "pantrela", "qx", "pantrela"},
    {kExportMealMaster, "Meal-Master", "meal-master", "txt", "meal-master"},
    {kExportMastercook, "Mastercook", "mastercook", "txt", "mastercook"},
    {kExportRecipeMl, "RecipeML", "recipeml", "xml", "recipeml"},
    {kExportMobi, "MOBI (Kindle and other ereaders)", "mobi", "mobi", "mobi"},
    {kExportRecipeIndex, "Recipe Index (Titles Only)", "recipe index", "txt", "recipe-index"},
    {kExportGeneric, "Generic Text", "generic", "txt", "generic"},
    {kExportPdf, "PDF Cookbook", "pdf", "pdf", "pdf"},
}};

std::vector<std::string> SplitBarList(std::string_view list) { return SplitList(list, '|'); }

static std::string Lower(std::string_view s) {
  std::string out(s);
  textops::LowerInPlace(out);
  return out;
}

int FormatCodeOfEntry(std::string_view entry) {
  const std::string lower = Lower(entry);
  for (const ExportFormatInfo& f : kExportFormats)
    if (lower.find(f.token) != std::string::npos) return f.code;
  return 0;
}

int EntryIndexOfCode(int code, const std::vector<std::string>& entries) {
  if (code < 0 || code >= kExportFormatCount) return 0;
  const char* token = kExportFormats[size_t(code)].token;
  for (size_t i = 0; i < entries.size(); ++i)
    if (Lower(entries[i]).find(token) != std::string::npos) return int(i);
  return 0;
}

std::string ExtensionOfPosition(int position) {
  const std::vector<std::string> exts = SplitList(kFileExtensionList, ',');
  if (position < 0 || position >= int(exts.size())) return {};
  return exts[size_t(position)];
}

int FormatCodeOfCliName(std::string_view name) {
  for (const ExportFormatInfo& f : kExportFormats)
    if (name == f.cliName) return f.code;
  return -1;
}

std::string ExportFileName(std::string_view entered, std::string_view ext, std::string_view fallback) {
  std::string name(textops::TrimSpaces(entered));
  if (name.empty()) name = fallback;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name + "." + std::string(ext);
  return name.substr(0, dot + 1) + std::string(ext);
}

}  // namespace pantrela
