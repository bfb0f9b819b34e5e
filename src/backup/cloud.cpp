#include "backup/cloud.h"

#include <dirent.h>
#include <fcntl.h>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "backup/access_code.h"
#include "backup/cloud_record.h"
#include "database/collection.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"

namespace pantrela {

namespace {

constexpr const char* kCloudPrefix = "cloud-";
// A listing naming more files than this is not a backup of ours.
constexpr size_t kMaxListedFiles = 1000;
// No single downloaded file may be larger.
constexpr uint64_t kMaxDownloadBytes = 1ull << 30;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteFresh(const std::string& path, std::string_view bytes) {
  File f = File::CreateFresh(path);
  return f.valid() && f.Write(bytes) == int64_t(bytes.size()) && f.Sync();
}

// Reads a regular file that is not a link; false when there is none.
bool ReadPlainFile(const std::string& path, std::string& out) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ReadWholeFile(path, out);
}

// ----- the zip archive, opened exclusively through minizip's file layer

voidpf ZCALLBACK OpenArchiveExclusive(voidpf, const void* filename, int) {
  File created = File::CreateFresh(static_cast<const char*>(filename));
  int fd = created.valid() ? ::dup(created.fd()) : -1;
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "wb");
  if (!f) ::close(fd);
  return f;
}

class ArchiveWriter {
 public:
  bool Open(const std::string& path) {
    zlib_filefunc64_def io;
    fill_fopen64_filefunc(&io);
    io.zopen64_file = OpenArchiveExclusive;
    zip_ = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
    return zip_ != nullptr;
  }
  bool Begin(const std::string& name) {
    if (!zip_ || entryOpen_) return false;
    zip_fileinfo info{};
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    info.tmz_date = {unsigned(tm.tm_sec), unsigned(tm.tm_min), unsigned(tm.tm_hour),
                     unsigned(tm.tm_mday), unsigned(tm.tm_mon), unsigned(tm.tm_year + 1900)};
    entryOpen_ = zipOpenNewFileInZip64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_BEST_SPEED, 1) == ZIP_OK;
    entryBytes_ = 0;
    return entryOpen_;
  }
  bool Write(std::string_view bytes) {
    if (!entryOpen_) return false;
    entryBytes_ += bytes.size();
    while (!bytes.empty()) {
      unsigned n = unsigned(std::min<size_t>(bytes.size(), 1u << 30));
      if (zipWriteInFileInZip(zip_, bytes.data(), n) != ZIP_OK) return false;
      bytes.remove_prefix(n);
    }
    return true;
  }
  bool End() {
    if (!entryOpen_) return false;
    entryOpen_ = false;
    return zipCloseFileInZip(zip_) == ZIP_OK;
  }
  bool Add(const std::string& name, std::string_view bytes) { return Begin(name) && Write(bytes) && End(); }
  bool Close() {
    if (!zip_) return false;
    if (entryOpen_) End();
    bool ok = zipClose(zip_, nullptr) == ZIP_OK;
    zip_ = nullptr;
    return ok;
  }
  uint64_t entryBytes() const { return entryBytes_; }
  ~ArchiveWriter() {
    if (zip_) zipClose(zip_, nullptr);
  }

 private:
  zipFile zip_ = nullptr;
  bool entryOpen_ = false;
  uint64_t entryBytes_ = 0;
};


int64_t Milliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The data files that travel as whole files, by their names in the file table.
std::vector<const std::string*> WholeDataFiles(const FileTable& f) { return {&f.grocery, &f.meal, &f.dictionary}; }

}  // namespace

// ---------------------------------------------------------------- login

std::string CloudCredentialError(const std::string& user, const std::string& password) {
  auto plain = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
  };
  if (user.size() < 4) return "|USER must be at least four characters long";
  if (password.size() < 6) return "|PASSWORD must be at least six characters long";
  if (!plain(user)) return "|USER may only contain letters and numbers";
  if (!plain(password)) return "|PASSWORD may only contain letters and numbers";
  return "";
}

std::optional<CloudCredentials> CloudLogin(Collection& db, const CloudCredentials* given) {
  const std::string prompt = "Enter a user name and password for your cloud account";
  Dialogs& d = db.dialogs();
  auto clean = [](const std::string& s) { return LowerAscii(TrimSpaces(s)); };
  if (given) {
    CloudCredentials c{clean(given->user), clean(given->password)};
    std::string err = CloudCredentialError(c.user, c.password);
    if (err.empty()) return c;
    d.Message(prompt + err, "OK", 1);
    return std::nullopt;
  }
  const Settings& s = db.ctx().settings;
  std::vector<FormField> fields(2);
  fields[0].text = s.cloud_user;
  fields[1].text = s.cloud_password;
  std::string message = prompt;
  for (;;) {
    if (d.Form(message, "User|Password", 1, "OK|Cancel", 100 + 20, fields) != 1) return std::nullopt;
    fields.resize(2);
    CloudCredentials c{clean(fields[0].text), clean(fields[1].text)};
    std::string err = CloudCredentialError(c.user, c.password);
    if (err.empty()) return c;
    message = prompt + err;
  }
}

// ---------------------------------------------------------------- upload

std::string NewAccessCode() { return MakeAccessCode(uint64_t(Milliseconds())); }

std::string CloudUploadErrorText(std::string_view body) {
  std::string s(body);
  auto replace = [&](std::string_view from, std::string_view to) {
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = s.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
      out.append(s, pos, hit - pos);
      out.append(to);
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
  };
  replace("\r\n", "|");
  replace("<br />", "|");
  replace("<br>", "|");
  replace("<b>", "");
  replace("</b>", "");
  // A long line is broken at its first blank after 50 characters.
  size_t run = 0;
  for (char& c : s) {
    if (c == '|') {
      run = 0;
    } else if (run >= 50 && c == ' ') {
      c = '|';
      run = 0;
    } else {
      ++run;
    }
  }
  size_t b = s.find_first_not_of("| "), e = s.find_last_not_of("| ");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string CloudUpload(const VendorHost& host, const CloudCredentials& login, std::string_view data,
                        std::string_view fileName, uint64_t offset, const std::string& accessCode,
                        const std::string& boundary) {
  const std::string path = "/recipes/upload-records.php";
  std::string name(fileName);
  size_t bs = name.rfind('\\');
  if (bs != std::string::npos) name = name.substr(bs + 1);
  std::string body;
  body.reserve(data.size() + 1024);
  auto field = [&](const char* key, const std::string& value) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + key + "\"\r\n\r\n" + value + "\r\n";
  };
  field("access", accessCode);
  field("user", login.user);
  field("password", login.password);
  field("start", offset == 0 ? "1" : "0");
  body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
          "\"\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary\r\n\r\n";
  body.append(data);
  body += "\r\n--" + boundary + "--\r\n";
  std::string request = "POST " + path + " HTTP/1.0\r\n";
  request += "User-Agent: Pantrela/6.6\r\n";
  request += "Host: " + host.text + "\r\n";
  request += "Accept: */*\r\n";
  request += "Accept-Language: en-US,en;q=0.5\r\n";
  request += "Referer: http://" + host.text + path + "\r\n";
  request += "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n";
  request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  request += body;
  VendorReply reply = VendorExchange(host, request, 60000, 1u << 20);
  if (!reply.connected) return ErrorOpeningPort(host);
  std::string text = CloudUploadErrorText(reply.Body());
  if (!text.empty()) return text;
  if (reply.status != 200) return reply.statusText.empty() ? std::string("No answer from the server") : reply.statusText;
  return "";
}

// ---------------------------------------------------------------- backup

namespace {

struct BackupRun {
  Collection& db;
  AppContext& ctx;
  const VendorHost& host;
  CloudCredentials login;
  std::vector<std::string> workFiles;  // removed on every way out

  std::string Path(const std::string& name) const { return ctx.files.dataFolder + name; }

  // Steps 4 to 8; returns the outcome text and sets `outcome`.
  std::string Run(ProgressScope& progress, CloudOutcome& outcome) {
    const std::string zipPath = Path("source.zip");
    for (const char* n : {"source.zip", "chapters.dat", "index.dat"}) workFiles.push_back(Path(n));
    outcome = CloudOutcome::Failed;
    const std::string writeFailed = "Upload Failed|Unable to write " + zipPath;
    ArchiveWriter zip;
    if (!zip.Open(zipPath)) return writeFailed;

    std::string chapters, index;
    std::string recordFile = HexNumber(ctx.ids.Make());
    if (!zip.Begin(recordFile + ".rcp")) return writeFailed;
    std::vector<uint32_t> entries = db.EntryOffsets();
    const double total = double(std::max<size_t>(1, entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
      progress.Update("Exporting Recipes", "Press space bar to cancel", double(i), total);
      if (progress.Stop()) {
        outcome = CloudOutcome::Cancelled;
        return "Backup Cancelled By User";
      }
      EntryView e = db.Entry(entries[i]);
      const uint8_t kind = e.kind();
      if (kind == kKindChapter) {
        if (e.chapterKey() <= kReservedKeyMax) continue;
        chapters += HexNumber(e.chapterKey()) + "\t" + std::string(e.title()) + "\r\n";
        continue;
      }
      if (kind != kKindRecipe && kind != kKindInfo) continue;
      if (e.recordId() <= kReservedKeyMax) continue;
      db.LoadCurrent(uint64_t(e.fileOffset()));
      // A record that cannot be read back is not sent as an empty one.
      if (db.current().recordId() != e.recordId()) {
        ctx.Log("Cloud Backup - Unreadable Record: " + std::string(e.title()));
        continue;
      }
      CloudRecordText rec = EncodeCloudRecord(db.current(), ctx.settings.ingredient_format);
      if (zip.entryBytes() > kCloudRecordFileBytes) {
        recordFile = HexNumber(ctx.ids.Make());
        if (!zip.End() || !zip.Begin(recordFile + ".rcp")) return writeFailed;
      }
      if (!zip.Write(rec.text)) return writeFailed;
      index += HexNumber(e.recordId()) + "\t" + HexNumber(e.chapterKey()) + "\t" + rec.title + "\t" +
               (rec.hasPhoto ? "1" : "0") + "\t" + recordFile + "\r\n";
    }
    if (!zip.End() || !zip.Add("chapters.dat", chapters) || !zip.Add("index.dat", index)) return writeFailed;
    for (const std::string* file : WholeDataFiles(ctx.files)) {
      std::string bytes;
      if (ReadPlainFile(*file, bytes) && !zip.Add(BaseName(*file), bytes)) return writeFailed;
    }
    if (!zip.Close()) return writeFailed;

    // Upload in pieces.
    // The archive is read one piece at a time: it may be far larger than
    // what should be held in memory.
    File archive = File::Open('i', zipPath);
    if (!archive.valid()) return writeFailed;
    const uint64_t size = archive.Size();
    uint64_t sent = 0;
    do {
      progress.Update("Uploading Recipes", "Press space bar to cancel", double(sent), double(std::max<uint64_t>(1, size)));
      if (progress.Stop()) {
        outcome = CloudOutcome::Cancelled;
        return "Backup Cancelled By User";
      }
      size_t n = size_t(std::min<uint64_t>(kCloudPieceBytes, size - sent));
      archive.Seek(sent);
      std::string piece = archive.ReadBytes(int64_t(n));
      if (piece.size() != n) return "Upload Failed|Unable to read " + zipPath;
      std::string error =
          CloudUpload(host, login, piece, "source.zip", sent, NewAccessCode(), HexNumber(ctx.ids.Make()));
      if (!error.empty()) {
        ctx.Log("Upload Failed:\r\n" + error);
        return "Upload Failed|" + error;
      }
      sent += n;
    } while (sent < size);
    progress.Update("Uploading Recipes", "Press space bar to cancel", double(sent), double(std::max<uint64_t>(1, size)));

    progress.Update("Completing Upload", "", 0, 1);
    VendorReply reply =
        VendorQuery(host, "/recipes/finish.php?access=" + NewAccessCode() + "&user=" + login.user, 1u << 20);
    // A finish that never reached the server is a failure, not an empty answer.
    std::string answer = VendorAnswerText(host, reply);
    if (answer.empty() && reply.status != 200) answer = reply.statusText.empty() ? "No answer from the server" : reply.statusText;
    if (!answer.empty()) {
      ctx.Log("Failure Completing Upload: \r\n" + answer);
      return "Failure Completing Upload|" + answer;
    }
    outcome = CloudOutcome::Done;
    return "Backup Complete";
  }
};

}  // namespace

CloudOutcome CloudBackup(Collection& db, const VendorHost& host, const CloudCredentials* given) {
  AppContext& ctx = db.ctx();
  Dialogs& d = db.dialogs();
  std::optional<CloudCredentials> login = CloudLogin(db, given);
  if (!login) return CloudOutcome::Cancelled;
  Settings& s = ctx.settings;
  VendorReply reply = VendorQuery(host, "/recipes/create-account.php?oldu=" + s.cloud_user + "&oldp=" +
                                            s.cloud_password + "&newu=" + login->user + "&newp=" + login->password,
                                  1u << 20);
  std::string answer = VendorAnswerText(host, reply);
  if (answer.find("success") != std::string::npos) {
    s.cloud_user = login->user;
    s.cloud_password = login->password;
    SaveSettings(ctx);
  } else if (answer.find("account taken") != std::string::npos) {
    d.Message("User name \"" + login->user + "\" is already taken.", "OK", 1);
    return CloudOutcome::Failed;
  } else {
    d.Message("Unable to Create Cloud Account", "OK", 1);
    ctx.Log("Failure Creating Cloud Account\r\n" + answer);
    return CloudOutcome::Failed;
  }
  File recipe = File::Open('i', ctx.files.recipe);
  ctx.Log("Cloud Backup Size: " + Format(double(recipe.Size()), "000,000,000"));
  recipe.Close();

  BackupRun run{db, ctx, host, *login, {}};
  CloudOutcome outcome;
  std::string text;
  {
    ProgressScope progress(d);
    text = run.Run(progress, outcome);
  }
  for (const std::string& f : run.workFiles) ::unlink(f.c_str());
  d.Message(text, "OK", 1);
  return outcome;
}

// ---------------------------------------------------------------- restore

bool ConfirmCloudRestore(Dialogs& dialogs) {
  return dialogs.Message("Restoring a backup will overwrite your current recipe collection!|Do you want to continue?",
                         "OK|Cancel", 2) == 1;
}

namespace {

struct ListedFile {
  std::string name;
  uint64_t size = 0;
};

// Appends rebuilt records to the new recipe file, in large writes.
class RecordSink {
 public:
  explicit RecordSink(AppContext& ctx) : ctx_(ctx) {}
  bool Open(const std::string& path) {
    file_ = File::CreateFresh(path);
    return file_.valid();
  }
  void Append(const CurrentRecord& rec) {
    pending_ += BuildRecordBytes(rec, ctx_.ids.Make());
    if (pending_.size() >= (4u << 20)) Flush();
  }
  void Flush() {
    if (!pending_.empty() && file_.Write(pending_) != int64_t(pending_.size())) ok_ = false;
    pending_.clear();
  }
  bool Finish() {
    Flush();
    bool ok = ok_ && file_.valid() && file_.Sync();
    file_.Close();
    return ok;
  }

 private:
  AppContext& ctx_;
  File file_;
  bool ok_ = true;
  std::string pending_;
};

// Splits bytes at CR LF (a last line without one counts too).
template <typename Fn>
void ForEachCrLfLine(std::string_view text, Fn fn) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string_view::npos) {
      fn(text.substr(pos));
      break;
    }
    fn(text.substr(pos, end - pos));
    pos = end + 2;
  }
}

// A name that can only be a file in the data folder itself.
bool PlainName(std::string_view name) {
  if (name.empty() || name.size() > 200 || name[0] == '.') return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (unsigned char c : name)
    if (c < 32 || c == '/' || c == '\\' || c == ':') return false;
  return true;
}

}  // namespace

CloudOutcome CloudRestore(Collection& db, const VendorHost& host, const CloudCredentials* given) {
  AppContext& ctx = db.ctx();
  Dialogs& d = db.dialogs();
  std::optional<CloudCredentials> login = CloudLogin(db, given);
  if (!login) return CloudOutcome::Cancelled;
  const std::string folder = ctx.files.dataFolder;

  std::string outcomeText;
  CloudOutcome outcome = CloudOutcome::Failed;
  std::vector<std::pair<std::string, std::string>> replacements;  // cloud- file, data file
  {
    ProgressScope progress(d);
    progress.Update("Retrieving File List", "", 0, 1);
    VendorReply reply =
        VendorQuery(host, "/recipes/list-files.php?user=" + login->user + "&password=" + login->password, 16u << 20);
    std::string answer = VendorAnswerText(host, reply);
    std::string lower = Lower(answer);
    std::vector<ListedFile> files;
    uint64_t totalSize = 0;
    if (lower.find("invalid user") != std::string::npos) {
      outcomeText = "Invalid User Account";
    } else if (lower.find("incorrect password") != std::string::npos) {
      outcomeText = "Incorrect Password";
    } else if (answer.find("success") == std::string::npos) {
      outcomeText = "Error downloading file list|Details in status log";
      ctx.Log("-----\r\nlist-files.php\r\n" + answer + "\r\n-----");
    } else {
      std::string body = reply.Body();
      size_t pos = 0;
      while (pos <= body.size()) {
        size_t end = body.find('\n', pos);
        if (end == std::string::npos) end = body.size();
        std::string line = body.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t dash = line.rfind('-');
        if (dash == std::string::npos) continue;
        ListedFile f{TrimSpaces(line.substr(0, dash)), 0};
        f.size = uint64_t(std::max(0.0, Val(TrimSpaces(line.substr(dash + 1)))));
        std::string ln = Lower(f.name);
        if (ln == "success" || ln == "temp.jpg" || ln == "user.dat" || ln == "index.dat") continue;
        // Only plain names of the backup's own files are fetched: record
        // files, the chapters and the whole data files.
        bool known = PlainName(f.name) && (ln.find(".rcp") != std::string::npos || ln == "chapters.dat");
        for (const std::string* data : WholeDataFiles(ctx.files))
          if (PlainName(f.name) && ln == Lower(BaseName(*data))) known = true;
        if (!known) {
          ctx.Log("Cloud Restore - Skipped File: " + f.name);
          continue;
        }
        totalSize += f.size;
        files.push_back(std::move(f));
      }
      if (files.size() > kMaxListedFiles) {
        outcomeText = "Error downloading file list|Details in status log";
        ctx.Log("-----\r\nlist-files.php\r\n" + std::to_string(files.size()) + " files listed\r\n-----");
        files.clear();
      }
    }
    if (outcomeText.empty()) {
      // Leftovers of an interrupted restore must not slip in with this one.
      std::vector<std::string> stale;
      if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* ent = ::readdir(dir))
          if (std::string_view(ent->d_name).rfind(kCloudPrefix, 0) == 0) stale.push_back(ent->d_name);
        ::closedir(dir);
      }
      for (const std::string& n : stale) ::unlink((folder + n).c_str());

      const std::string recipeName = BaseName(ctx.files.recipe);
      const std::string cloudRecipe = folder + kCloudPrefix + recipeName;
      RecordSink sink(ctx);
      CloudRecordDecoder decoder([&](const CurrentRecord& rec) { sink.Append(rec); });
      if (!sink.Open(cloudRecipe)) outcomeText = "Restore Failed|Unable to write " + cloudRecipe;
      uint64_t received = 0;
      for (const ListedFile& f : files) {
        if (!outcomeText.empty()) break;
        const uint64_t before = received;
        bool stopped = false;
        auto onPiece = [&](uint64_t got) {
          received = before + got;
          progress.Update("Downloading Files", "Press Space Bar to Abort", double(received),
                        double(std::max<uint64_t>(1, totalSize)));
          if (progress.Stop()) stopped = true;
          return !stopped;
        };
        progress.Update("Downloading Files", "Press Space Bar to Abort", double(received),
                      double(std::max<uint64_t>(1, totalSize)));
        if (progress.Stop()) stopped = true;
        VendorReply file;
        if (!stopped)
          file = VendorQuery(host,
                             "/recipes/" + login->user + "/" + f.name + "?user=" + login->user + "&password=" +
                                 login->password,
                             kMaxDownloadBytes, onPiece);
        if (stopped || file.stopped) {
          outcome = CloudOutcome::Cancelled;
          outcomeText = "Backup Cancelled By User";
          break;
        }
        // Only a whole answer counts; a cut one stores nothing.
        if (!file.Complete() || file.status != 200) {
          ctx.Log("Cloud Restore - Download Failed: " + f.name + " - " +
                  (file.connected ? (file.statusText.empty() ? std::string("incomplete answer") : file.statusText)
                                  : ErrorOpeningPort(host)));
          outcomeText = "Error downloading file|" + f.name + "|Details in status log";
          break;
        }
        // A file's bytes are taken exactly as sent: trimming blanks would
        // damage binary data files.
        std::string body = file.Body();
        std::string ln = Lower(f.name);
        if (ln.find(".rcp") != std::string::npos) {
          ForEachCrLfLine(body, [&](std::string_view line) { decoder.DecodeCloudLine(line); });
        } else if (ln == "chapters.dat") {
          ForEachCrLfLine(body, [&](std::string_view line) {
            size_t tab = line.find('\t');
            if (tab == std::string_view::npos) return;
            CurrentRecord chapter;
            chapter.title = std::string(line.substr(tab + 1, kTitleWriteMax));
            chapter.setChapterKey(ReadHex(line.substr(0, tab)));
            chapter.setKind(kKindChapter);
            sink.Append(chapter);
          });
        } else {
          std::string target;
          for (const std::string* data : WholeDataFiles(ctx.files))
            if (ln == Lower(BaseName(*data))) target = *data;
          const std::string cloudFile = folder + kCloudPrefix + BaseName(target);
          if (!WriteFresh(cloudFile, body)) {
            outcomeText = "Restore Failed|Unable to write " + cloudFile;
            break;
          }
          replacements.emplace_back(cloudFile, target);
        }
        received = before + f.size;
      }
      if (outcomeText.empty() && !sink.Finish()) outcomeText = "Restore Failed|Unable to write " + cloudRecipe;
      if (outcomeText.empty()) {
        replacements.emplace_back(cloudRecipe, ctx.files.recipe);
        // Everything is downloaded and decoded: now the collection is
        // replaced. The index goes first, so a stop half way leaves an index
        // that is rebuilt from whatever recipe file is in place.
        ::unlink(ctx.files.index.c_str());
        for (const auto& [from, to] : replacements) {
          if (::rename(from.c_str(), to.c_str()) != 0) {
            ctx.Log("Cloud Restore - Unable to replace " + to);
            outcomeText = "Restore Failed|Unable to replace " + to;
          }
        }
        if (int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
          ::fsync(dfd);
          ::close(dfd);
        }
        progress.Close();
        db.CleanUp();
        if (outcomeText.empty()) {
          outcome = CloudOutcome::Done;
          outcomeText = "Restore Completed Successfully";
        }
      }
    }
  }
  d.Message(outcomeText, "OK", 1);
  return outcome;
}

}  // namespace pantrela
