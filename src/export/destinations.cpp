#include "export/destinations.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "export/export_formats.h"
#include "export/export_run.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/shell.h"
#include "ingredients/text_ops.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/shell.h"
#include "platform/system.h"

extern char** environ;

namespace pantrela {

// ----- services -----

int SendMailWithAttachment(const std::string& recipient, const std::string& subject, const std::string& body,
                           const std::string& attachment) {
  const std::string program = platform::FindExecutable("xdg-email");
  if (program.empty()) return 1;
  std::vector<std::string> args = {program};
  const std::string to(textops::TrimSpaces(recipient));
  const std::string about(textops::TrimSpaces(subject));
  const std::string file(textops::TrimSpaces(attachment));
  if (!about.empty()) args.insert(args.end(), {"--subject", Cp1252ToUtf8(about)});
  if (!body.empty()) args.insert(args.end(), {"--body", Cp1252ToUtf8(body)});
  if (!file.empty()) args.insert(args.end(), {"--attach", file});
  if (!to.empty()) args.push_back(Cp1252ToUtf8(to));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return 1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

bool SystemExportServices::PutClipboardText(const std::string& text) { return platform::PutClipboardText(text); }

int SystemExportServices::SendMailWithAttachment(const std::string& recipient, const std::string& subject,
                                                 const std::string& body, const std::string& attachment) {
  return pantrela::SendMailWithAttachment(recipient, subject, body, attachment);
}

FtpResult SystemExportServices::Upload(AppContext& ctx, Dialogs& dialogs, const std::string& settings,
                                       const std::string& path) {
  return FtpUpload(ctx, dialogs, settings, path);
}

void SystemExportServices::OpenWebAddress(AppContext& ctx, const std::string& address) {
  pantrela::OpenWebAddress(ctx, address);
}

// ----- the scratch folder -----

std::string ExportScratchFolder(const FileTable& files) { return files.dataFolder + "export-temp/"; }

void EmptyExportScratch(const FileTable& files) {
  if (files.dataFolder.empty()) return;
  DeleteTree(ExportScratchFolder(files));
}

std::string NewExportScratchFolder(const FileTable& files) {
  static std::atomic<unsigned> counter{0};
  const std::string base = ExportScratchFolder(files);
  struct stat st;
  // A link or a file in its place is removed, never written through.
  if (::lstat(base.substr(0, base.size() - 1).c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) DeleteTree(base);
  if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) return {};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string folder = base + Plain(::getpid()) + "-" + std::to_string(counter++) + "/";
    if (::mkdir(folder.c_str(), 0700) == 0) return folder;
    if (errno != EEXIST) return {};
  }
  return {};
}

// ----- the destinations -----

namespace {

void SaveChoices(AppContext& ctx) {
  if (!ctx.files.settings.empty() && !WriteSettings(ctx.settings, ctx.files.settings))
    ctx.Log("Export: the settings file could not be written");
}

// The choice dialog; the chosen position, or -1 when cancelled.
int Choose(ExportSession& s, const std::string& title, const std::vector<std::string>& list, int selected) {
  int chosen = selected;
  if (s.dialogs.ChooseFromList(title, list, "OK|Cancel", chosen) != 1) return -1;
  if (chosen < 0 || chosen >= int(list.size())) return -1;
  return chosen;
}

// The format choice of a destination: the list opens on the remembered
// code's entry; the chosen code is remembered and saved at once. Returns
// the chosen position, or -1 when cancelled.
int ChooseFormat(ExportSession& s, const std::string& title, const char* listText, int32_t& remembered) {
  const std::vector<std::string> list = SplitBarList(listText);
  const int pos = Choose(s, title, list, EntryIndexOfCode(remembered, list));
  if (pos < 0) return -1;
  remembered = FormatCodeOfEntry(list[size_t(pos)]);
  SaveChoices(s.ctx);
  return pos;
}

bool Available(ExportSession& s, int code) {
  if (HasExportWriter(code)) return true;
  s.dialogs.Message(std::string("The ") + kExportFormats[size_t(code)].entry + " export is not available yet.",
                    "OK", 1);
  return false;
}

void ReportFailure(ExportSession& s, const std::string& name, int error) {
  s.dialogs.Message(FileNameForDisplay(name) + " could not be written.||" + SystemErrorText(error) +
                        "|Nothing was saved under this name.",
                    "OK", 1);
}

ExportJob JobOf(ExportSession& s) { return ExportJob{s.collection, s.dialogs, ExportStyleOf(s.ctx)}; }

}  // namespace

std::string DefaultExportFolder() {
  std::string f = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
  if (f.empty()) f = platform::SpecialFolderPath(platform::SpecialFolder::Home);
  return f.empty() ? std::string("/") : f;
}

void ExportCommand(ExportSession& s, int x, int y, int width) {
  int ticked = 0;
  for (uint32_t e : s.collection.recipeList().entries) ticked += s.collection.IsChecked(e) ? 1 : 0;
  if (ticked == 0) {
    s.dialogs.Message(kNothingTickedMessage, "OK", 1);
    return;
  }
  const std::vector<std::string> entries(std::begin(kExportMenuEntries), std::end(kExportMenuEntries));
  switch (s.dialogs.PopupList(x, y, width, entries)) {
    case 0: ExportToFile(s); break;
    case 1: ExportToClipboard(s); break;
    case 2: ExportToEmail(s); break;
    case 3: ExportToTablet(s); break;
    default: break;
  }
}

void ExportToFile(ExportSession& s) {
  const int pos = ChooseFormat(s, "Select Format for Export File", kFileFormatList, s.ctx.settings.export_file);
  if (pos < 0) return;
  const int code = s.ctx.settings.export_file;
  const std::string ext = ExtensionOfPosition(pos);
  if (!Available(s, code)) return;
  std::string folder = s.ctx.settings.export_path;
  if (folder.empty()) folder = DefaultExportFolder();
  std::string entered;
  if (!s.dialogs.BrowseFiles("Export Recipes", folder, entered)) return;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string name = ExportFileName(entered, ext);
  if (Exists(folder + name) &&
      s.dialogs.Message(FileNameForDisplay(name) + "|Already Exists!|Do you want to overwrite it?", "OK|Cancel", 1) != 1)
    return;
  if (!CanCreate(folder + name)) {
    s.dialogs.Message(FileNameForDisplay(name) + " cannot be created.|Another program is currently using the file.", "OK", 1);
    return;
  }
  s.ctx.settings.export_path = folder;
  SaveChoices(s.ctx);
  ExportJob job = JobOf(s);
  const ExportFileResult r = BuildExportIndex(job, folder, name, code);
  if (r.status == ExportStatus::kFailed) ReportFailure(s, name, r.error);
}

void ExportToClipboard(ExportSession& s) {
  if (ChooseFormat(s, "Select Format for Clipboard Copy", kClipboardFormatList, s.ctx.settings.export_clipboard) < 0)
    return;
  const int code = s.ctx.settings.export_clipboard;
  const std::string folder = NewExportScratchFolder(s.ctx.files);
  ExportJob job = JobOf(s);
  const ExportFileResult r = folder.empty() ? ExportFileResult{ExportStatus::kFailed, errno, false}
                                            : BuildExportIndex(job, folder, "recipes.txt", code);
  if (r.status == ExportStatus::kFailed) {
    ReportFailure(s, "recipes.txt", r.error);
  } else if (r.created) {
    std::string text;
    if (ReadWholeFile(folder + "recipes.txt", text) && !text.empty() && !s.services.PutClipboardText(text))
      s.ctx.Log("Export to the Clipboard: the clipboard could not be opened");
  }
  if (!folder.empty()) DeleteTree(folder);
}

void ExportToEmail(ExportSession& s) {
  const int pos = ChooseFormat(s, "Select Format for Email Attachment", kFileFormatList, s.ctx.settings.export_email);
  if (pos < 0) return;
  const int code = s.ctx.settings.export_email;
  const std::string name = "recipes." + ExtensionOfPosition(pos);
  if (!Available(s, code)) return;
  const std::string folder = NewExportScratchFolder(s.ctx.files);
  ExportJob job = JobOf(s);
  const ExportFileResult r = folder.empty() ? ExportFileResult{ExportStatus::kFailed, errno, false}
                                            : BuildExportIndex(job, folder, name, code);
  if (r.status == ExportStatus::kFailed || !r.created) {
    if (r.status == ExportStatus::kFailed) ReportFailure(s, name, r.error);
    if (!folder.empty()) DeleteTree(folder);
    return;
  }
  if (s.services.SendMailWithAttachment("", "A recipe for you", "Recipe is attached to this message.",
                                        folder + name) > 0) {
    s.dialogs.Message(std::string(kProgramName) + " was unable to open your email program.||" +
                          "Please export to the Clipboard instead.|" +
                          "Then start a new email in your email program,|" + "and paste the recipe into your message.",
                      "OK", 1);
    DeleteTree(folder);
  }
  // Otherwise the attachment stays until the scratch folder is emptied: the
  // mail program may not have read it yet.
}

void ExportToTablet(ExportSession& s) {
  const std::vector<std::string> list = SplitBarList(kTabletFormatList);
  const int pos = Choose(s, "Select Format for Tablet", list, 0);
  if (pos < 0) return;
  const bool mobi = pos == 0;
  const std::string ext = mobi ? "mobi" : "pdf";
  const int code = mobi ? kExportMobi : kExportPdf;
  std::string& key = mobi ? s.ctx.settings.ftp_mobi : s.ctx.settings.ftp_pdf;
  const std::string formText = std::string("Enter Settings for FTP Server (") + (mobi ? "MOBI" : "PDF") +
                               " Format)|Click the FAQ button if you need assistance.";
  const std::string helpKey = mobi ? "pantrela_kindle_recipe" : "pantrela_ipad_recipe";
  if (!Available(s, code)) return;
  const std::string folder = NewExportScratchFolder(s.ctx.files);
  if (folder.empty()) {
    ReportFailure(s, "recipes." + ext, errno);
    return;
  }
  const std::string path = folder + "recipes." + ext;
  ExportJob job = JobOf(s);
  const ExportFileResult r = BuildExportIndex(job, folder, "recipes." + ext, code);
  if (r.status == ExportStatus::kFailed) ReportFailure(s, "recipes." + ext, r.error);
  if (r.created && Exists(path)) {
    std::string news;
    {
      std::lock_guard<std::mutex> lock(s.ctx.newsMutex);
      news = s.ctx.newsText;
    }
    std::string settings = key;
    const auto open = [&](const std::string& link) { s.services.OpenWebAddress(s.ctx, link); };
    if (FtpSettingsForm(s.dialogs, formText, NewsValue(news, helpKey), settings, "Recipes", ext, open)) {
      key = settings;
      SaveChoices(s.ctx);
      const FtpResult up = s.services.Upload(s.ctx, s.dialogs, settings, path);
      s.dialogs.Message(up.text, "OK", 1);
    }
  }
  DeleteTree(folder);
}

std::string NewsValue(const std::string& newsText, const std::string& key) {
  if (newsText.empty() || key.empty()) return {};
  const size_t at = newsText.find(key);
  if (at == std::string::npos) return {};
  const size_t open = newsText.find('"', at + key.size());
  if (open == std::string::npos) return {};
  const size_t close = newsText.find('"', open + 1);
  if (close == std::string::npos) return {};
  return newsText.substr(open + 1, close - open - 1);
}

}  // namespace pantrela
