// pantrela-cli export and ftp-upload: the export formats written to a file
// or standard output, and the tablet upload of any file.
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/cli.h"
#include "database/collection.h"
#include "export/export_formats.h"
#include "export/export_run.h"
#include "export/ftp.h"
#include "export/pdf.h"
#include "foundation/codepage.h"
#include "foundation/file.h"
#include "foundation/shell.h"

namespace pantrela::cli {
namespace {

// Standard output as an export's destination.
class StdoutOutput : public ExportOutput {
 public:
  bool Write(std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  }
};

int Export(Session& s, const std::vector<std::string>& args) {
  int code = -1;
  std::string target;
  std::vector<std::string> chapters, titles;
  bool json = false;
  // The book formats take their title page from here, never from a prompt.
  BookDetails book;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--format" && hasValue) {
      code = FormatCodeOfCliName(args[++i]);
      if (code < 0) return kUsage;
    } else if (a == "--chapter" && hasValue) {
      chapters.push_back(Utf8ToCp1252(args[++i]));
    } else if (a == "--title" && hasValue) {
      titles.push_back(Utf8ToCp1252(args[++i]));
    } else if (a == "--book-title" && hasValue) {
      book.title = Utf8ToCp1252(args[++i]);
    } else if (a == "--subtitle" && hasValue) {
      book.subtitle = Utf8ToCp1252(args[++i]);
    } else if (a == "--author" && hasValue) {
      book.author = Utf8ToCp1252(args[++i]);
    } else if (a == "--page-size" && hasValue) {
      book.pageSize = args[++i];
      if (!PdfPageSizeNamed(book.pageSize)) return kUsage;
    } else if (a == "-o" && hasValue) {
      target = args[++i];
    } else if (a == "--json") {
      json = true;
    } else {
      return kUsage;
    }
  }
  if (code < 0 || target.empty()) return kUsage;
  if (!HasExportWriter(code)) {
    std::fprintf(stderr, "pantrela-cli: the %s export is not available yet\n", kExportFormats[size_t(code)].entry);
    return kFailed;
  }
  Collection& db = s.db();
  std::unordered_set<int64_t> keys;
  for (const std::string& name : chapters) {
    const int64_t key = db.FindChapterByName(name);
    if (key == 0) {
      std::fprintf(stderr, "pantrela-cli: no chapter named \"%s\"\n", Cp1252ToUtf8(name).c_str());
      return kFailed;
    }
    keys.insert(key);
  }
  const std::unordered_set<std::string> wanted(titles.begin(), titles.end());
  std::unordered_set<std::string> found;
  ExportIndex index;
  for (uint32_t e : db.EntryOffsets()) {
    EntryView v = db.Entry(e);
    if (v.kind() != kKindRecipe && v.kind() != kKindInfo) continue;
    const std::string title(v.title());
    const bool byTitle = wanted.count(title) > 0;
    if (byTitle) found.insert(title);
    if ((chapters.empty() && titles.empty()) || keys.count(v.chapterKey()) || byTitle) index.push_back(e);
  }
  for (const std::string& t : titles)
    if (!found.count(t)) {
      std::fprintf(stderr, "pantrela-cli: no recipe titled \"%s\"\n", Cp1252ToUtf8(t).c_str());
      return kFailed;
    }
  SortExportIndex(db, index);
  ExportJob job{db, s.ctx.dialogs(), ExportStyleOf(s.ctx), &book};
  ExportStatus status;
  int error = 0;
  if (target == "-") {
    StdoutOutput out;
    status = WriteExport(job, index, code, out);
    if (std::fflush(stdout) != 0) status = ExportStatus::kFailed;
  } else {
    const ExportFileResult r = WriteExportFile(job, index, target, code);
    status = r.status;
    error = r.error;
  }
  if (status == ExportStatus::kFailed) {
    std::fprintf(stderr, "pantrela-cli: %s could not be written%s%s\n", target.c_str(), error ? ": " : "",
                 error ? SystemErrorText(error).c_str() : "");
    return kFailed;
  }
  if (json && target != "-")
    std::printf("{\"format\": \"%s\", \"recipes\": %zu}\n", kExportFormats[size_t(code)].cliName, index.size());
  std::fprintf(stderr, "%zu %s exported\n", index.size(), index.size() == 1 ? "recipe" : "recipes");
  return kOk;
}

int FtpUploadCommand(Session& s, const std::vector<std::string>& args) {
  std::string host, port, dir, user, password, file;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--host" && hasValue) host = args[++i];
    else if (a == "--port" && hasValue) port = args[++i];
    else if (a == "--dir" && hasValue) dir = args[++i];
    else if (a == "--user" && hasValue) user = args[++i];
    else if (a == "--password-file" && hasValue) {
      if (!ReadWholeFile(args[++i], password)) {
        std::fprintf(stderr, "pantrela-cli: cannot read %s\n", args[i].c_str());
        return kFailed;
      }
      password = password.substr(0, password.find_first_of("\r\n"));
    } else if (a.rfind("--", 0) != 0 && file.empty()) file = a;
    else return kUsage;
  }
  if (host.empty() || port.empty() || file.empty()) return kUsage;
  const std::string name = file.substr(file.rfind('/') == std::string::npos ? 0 : file.rfind('/') + 1);
  // The settings string joins the values with spaces, so none may hold one.
  const std::string* values[] = {&host, &port, &dir, &user, &password, &name};
  for (const std::string* v : values)
    if (v->find(' ') != std::string::npos) {
      std::fprintf(stderr, "pantrela-cli: FTP settings cannot contain spaces\n");
      return kUsage;
    }
  std::string settings;
  for (size_t i = 0; i < 6; ++i) {
    if (i) settings += ' ';
    settings += *values[i];
  }
  const FtpResult r = FtpUpload(s.ctx, s.ctx.dialogs(), settings, file);
  // "||" (an empty line of the message) becomes one line break.
  std::string text;
  for (size_t i = 0; i < r.text.size(); ++i) {
    if (r.text.compare(i, 2, "||") == 0) {
      text += '\n';
      ++i;
    } else {
      text += r.text[i];
    }
  }
  std::fprintf(stderr, "%s\n", text.c_str());
  return r.ok ? kOk : kFailed;
}

}  // namespace

PANTRELA_CLI_COMMAND("export",
                     "export --format NAME [--chapter NAME]... [--title TITLE]... [--book-title T] [--subtitle S] [--author A] "
                     "[--page-size SIZE] [--json] -o FILE|-", Export);
PANTRELA_CLI_COMMAND("ftp-upload", "ftp-upload --host H --port P [--dir D] [--user U] [--password-file F] FILE",
                     FtpUploadCommand);

}  // namespace pantrela::cli
