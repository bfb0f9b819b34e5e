#include "export/export_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <unordered_map>

#include "export/export_formats.h"
#include "export/mobi.h"
#include "export/pdf.h"
#include "foundation/progress.h"
#include "foundation/file.h"
#include "foundation/vendor.h"
#include "ingredients/text_ops.h"

namespace pantrela {

// ----- the file output -----

class ExportFileOutput::Impl {
 public:
  File file;
};

ExportFileOutput::ExportFileOutput(std::string target) : target_(std::move(target)) {}

ExportFileOutput::~ExportFileOutput() {
  if (!committed_) Abandon();
  delete impl_;
}

bool ExportFileOutput::Open() {
  static std::atomic<unsigned> counter{0};
  const size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_ = folder + "." + name + ".part" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // Created exclusively: nothing placed under this name beforehand (a link
    // included) is ever written through.
    const int fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      delete impl_;
      impl_ = new Impl;
      impl_->file = File::Open('o', temp_);
      if (impl_->file.valid()) return true;
      error_ = errno;
      ::unlink(temp_.c_str());
      temp_.clear();
      return false;
    }
    if (errno != EEXIST) break;
  }
  error_ = errno;
  temp_.clear();
  return false;
}

bool ExportFileOutput::Write(std::string_view bytes) {
  if (!impl_ || !impl_->file.valid() || error_ != 0) return false;
  errno = 0;
  if (impl_->file.Write(bytes) != int64_t(bytes.size())) {
    error_ = errno ? errno : EIO;
    return false;
  }
  return true;
}

bool ExportFileOutput::Commit() {
  if (!impl_ || !impl_->file.valid() || error_ != 0) return false;
  errno = 0;
  if (!impl_->file.Sync()) {
    error_ = errno ? errno : EIO;
    Abandon();
    return false;
  }
  impl_->file.Close();
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    error_ = errno;
    Abandon();
    return false;
  }
  committed_ = true;
  temp_.clear();
  return true;
}

void ExportFileOutput::Abandon() {
  if (impl_) impl_->file.Close();
  if (!temp_.empty()) DeleteFile(temp_);
  temp_.clear();
}

// ----- the export index -----

ExportStyle ExportStyleOf(const AppContext& ctx) {
  ExportStyle s;
  s.ingredientFormat = ctx.settings.ingredient_format;
  s.webAddress = VendorAddressesFromEnvironment().home;
  return s;
}

namespace {


std::unordered_map<int64_t, std::string> ChapterNames(const Collection& c) {
  std::unordered_map<int64_t, std::string> names;
  for (uint32_t e : c.chapterList().entries) {
    EntryView v = c.Entry(e);
    names.emplace(v.chapterKey(), std::string(v.title()));
  }
  return names;
}

std::string NameOf(const std::unordered_map<int64_t, std::string>& names, int64_t key) {
  auto it = names.find(key);
  return it == names.end() ? std::string() : it->second;
}

using RecordWriter = void (*)(const ExportRecipe&, const ExportStyle&, std::string&);

RecordWriter RecordWriterOf(int code) {
  switch (code) {
    case kExportOwnText: return WriteOwnTextRecipe;
    case kExportMealMaster: return WriteMealMasterRecipe;
    case kExportMastercook: return WriteMastercookRecipe;
    case kExportRecipeMl: return WriteRecipeMlRecipe;
    case kExportGeneric: return WriteGenericRecipe;
    default: return nullptr;
  }
}

}  // namespace

ExportIndex CollectTickedRecipes(ExportJob& job, const std::vector<uint32_t>& list) {
  ProgressScope progress(job.dialogs);
  ExportIndex index;
  index.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    progress.Update("Building Export Index", "", double(i), double(list.size()));
    if (job.collection.IsChecked(list[i])) index.push_back(list[i]);
  }
  return index;
}

void SortExportIndex(const Collection& collection, ExportIndex& index) {
  const auto names = ChapterNames(collection);
  std::vector<std::pair<std::string, uint32_t>> keyed;
  keyed.reserve(index.size());
  for (uint32_t e : index) {
    EntryView v = collection.Entry(e);
    std::string key(textops::TrimSpaces(NameOf(names, v.chapterKey()) + " - " + std::string(v.title())));
    textops::LowerInPlace(key);
    keyed.emplace_back(std::move(key), e);
  }
  // std::string compares its bytes as unsigned char.
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < keyed.size(); ++i) index[i] = keyed[i].second;
}

bool HasExportWriter(int code) {
  return code == kExportRecipeIndex || code == kExportMobi || code == kExportPdf || RecordWriterOf(code) != nullptr;
}

ExportStatus WriteExport(ExportJob& job, const ExportIndex& index, int code, ExportOutput& out) {
  if (!HasExportWriter(code)) return ExportStatus::kNoWriter;
  if (code == kExportMobi) return WriteMobiBook(job, index, out, BookClockNow());
  if (code == kExportPdf) return WritePdfBook(job, index, out, BookClockNow());
  Collection& c = job.collection;
  const auto names = ChapterNames(c);
  ProgressScope progress(job.dialogs);
  const double n = double(index.size());
  std::string bytes;
  ExportStatus status = ExportStatus::kDone;

  if (code == kExportRecipeIndex) {
    // Titles and chapters come from the index entries; no record is read.
    std::string previous;
    for (size_t k = 0; k < index.size(); ++k) {
      progress.Update("Exporting Recipes", "", double(k), n);
      EntryView v = c.Entry(index[k]);
      bytes.clear();
      WriteRecipeIndexEntry(NameOf(names, v.chapterKey()), v.title(), previous, bytes);
      if (!out.Write(bytes)) return ExportStatus::kFailed;
      if (progress.Stop()) {
        status = ExportStatus::kStopped;
        break;
      }
    }
    return status;
  }

  const RecordWriter writer = RecordWriterOf(code);
  // The records are loaded one by one into the current record; whatever it
  // held before is put back afterwards.
  const CurrentRecord saved = c.current();
  if (code == kExportRecipeMl && !out.Write(kRecipeMlStart)) status = ExportStatus::kFailed;
  for (size_t k = 0; k < index.size() && status == ExportStatus::kDone; ++k) {
    progress.Update("Exporting Recipes", "", double(k), n);
    EntryView v = c.Entry(index[k]);
    c.LoadCurrent(uint64_t(v.fileOffset()));
    const std::string chapter = NameOf(names, v.chapterKey());
    bytes.clear();
    writer(ExportRecipe{c.current(), chapter}, job.style, bytes);
    if (!out.Write(bytes)) {
      status = ExportStatus::kFailed;
      break;
    }
    if (progress.Stop()) status = ExportStatus::kStopped;
  }
  if (code == kExportRecipeMl && status != ExportStatus::kFailed && !out.Write(kRecipeMlEnd))
    status = ExportStatus::kFailed;
  c.current() = saved;
  return status;
}

ExportFileResult WriteExportFile(ExportJob& job, const ExportIndex& index, const std::string& path, int code) {
  ExportFileResult r;
  if (!HasExportWriter(code)) {
    r.status = ExportStatus::kNoWriter;
    return r;
  }
  ExportFileOutput out(path);
  if (!out.Open()) {
    r.error = out.error();
    return r;
  }
  r.status = WriteExport(job, index, code, out);
  if (r.status == ExportStatus::kCancelled) {
    out.Abandon();
    return r;
  }
  if (r.status == ExportStatus::kFailed || !out.Commit()) {
    r.status = ExportStatus::kFailed;
    r.error = out.error();
    return r;
  }
  r.created = true;
  return r;
}

ExportFileResult BuildExportIndex(ExportJob& job, const std::string& folder, const std::string& fileName, int code) {
  ExportIndex index = CollectTickedRecipes(job, job.collection.recipeList().entries);
  SortExportIndex(job.collection, index);
  return WriteExportFile(job, index, folder + fileName, code);
}

}  // namespace pantrela
