// pantrela-cli commands of the vendor server: cloud-backup, cloud-restore and
// news (the version check and the news note).
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "backup/cloud.h"
#include "database/collection.h"
#include "foundation/file.h"
#include "updates/news.h"

namespace pantrela::cli {
namespace {

// "--user U --password-file F", or neither: the stored account is used.
// Returns false on a usage error.
bool ReadLogin(const std::vector<std::string>& args, CloudCredentials& login, bool& given) {
  std::string user, passwordFile;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--user" || args[i] == "--password-file") && i + 1 < args.size()) {
      (args[i] == "--user" ? user : passwordFile) = args[i + 1];
      ++i;
    } else {
      return false;
    }
  }
  if (user.empty() != passwordFile.empty()) return false;
  given = !user.empty();
  if (!given) return true;
  std::string bytes;
  if (!ReadWholeFile(passwordFile, bytes)) {
    std::fprintf(stderr, "pantrela-cli: cannot read %s\n", passwordFile.c_str());
    return false;
  }
  // The first line of the file is the password.
  bytes = bytes.substr(0, bytes.find_first_of("\r\n"));
  login = {user, bytes};
  return true;
}

// Runs one cloud command on the opened collection with the login of the
// options, or the stored account.
int RunCloud(Session& s, const std::vector<std::string>& args, bool restore) {
  CloudCredentials login;
  bool given = false;
  if (!ReadLogin(args, login, given)) return kUsage;
  if (!given) login = {s.ctx.settings.cloud_user, s.ctx.settings.cloud_password};
  Collection db(s.ctx);
  OpenCollection(db);
  CloudOutcome outcome;
  if (!restore) outcome = CloudBackup(db, VendorHostFromEnvironment(), &login);
  else if (!ConfirmCloudRestore(db.dialogs())) return kFailed;
  else outcome = CloudRestore(db, VendorHostFromEnvironment(), &login);
  return outcome == CloudOutcome::Done ? kOk : kFailed;
}

int Backup(Session& s, const std::vector<std::string>& args) { return RunCloud(s, args, false); }
int Restore(Session& s, const std::vector<std::string>& args) { return RunCloud(s, args, true); }

// Fetches the version file now and shows what the window would: the notice
// of a newer version and the current news note (as F12 does).
int News(Session& s, const std::vector<std::string>& args) {
  if (!args.empty()) return kUsage;
  Updates updates(s.ctx);
  std::string text = FetchNewsText(VendorHostFromEnvironment());
  if (text.empty()) {
    std::fprintf(stderr, "pantrela-cli: no answer from the vendor server\n");
    return kFailed;
  }
  {
    std::lock_guard<std::mutex> lock(s.ctx.newsMutex);
    s.ctx.newsText = text;
  }
  s.ctx.newsReady = true;
  updates.openPage = [](const std::string& page) { std::printf("%s\n", page.c_str()); };
  updates.CheckForUpdate();
  updates.ShowNewsAgain();
  return kOk;
}

}  // namespace

PANTRELA_CLI_COMMAND("news", "news  (the version notice and the current news note)", News);
PANTRELA_CLI_COMMAND("cloud-backup", "cloud-backup [--user U --password-file F]", Backup);
PANTRELA_CLI_COMMAND("cloud-restore", "cloud-restore [--user U --password-file F]  (asks first; --yes answers OK)",
                     Restore);

}  // namespace pantrela::cli
