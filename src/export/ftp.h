// Upload to a tablet over FTP: the settings form, the settings string that
// remembers it ("Host Port Directory User Password Filename", joined by
// single spaces) and the upload itself with its progress steps and log lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pantrela {

struct AppContext;
class Dialogs;

// The six values of a settings string (missing ones empty; a value holding
// a space reads back as two).
std::vector<std::string> SplitFtpSettings(const std::string& settings);

// Shows the form until it is cancelled or holds a host and a port. "FAQ"
// opens `helpLink` through `openLink` and shows the form again. On OK the
// file name gets the extension, the directory loses its outer slashes and
// `settings` takes the six values; returns true.
bool FtpSettingsForm(Dialogs& dialogs, const std::string& formText, const std::string& helpLink,
                     std::string& settings, const std::string& baseName, const std::string& ext,
                     const std::function<void(const std::string&)>& openLink);

// How long the upload waits for a server before giving up.
struct FtpTimeouts {
  long connectSeconds = 60;   // to connect
  long responseSeconds = 60;  // for each server response
  long stalledSeconds = 60;   // for a transfer that moves no bytes
};

struct FtpResult {
  int ok = 0;        // 1 when the file arrived
  std::string text;  // for the message dialog
};

// Uploads the local file in passive binary mode to Directory/Filename of the
// server the settings name, with progress steps 1 to 7 and the log lines.
FtpResult FtpUpload(AppContext& ctx, Dialogs& dialogs, const std::string& settings, const std::string& localPath,
                    const FtpTimeouts& timeouts = {});

}  // namespace pantrela
