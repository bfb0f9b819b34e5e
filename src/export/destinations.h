// The export command and its four destinations: a file, the clipboard, an
// e-mail attachment and a tablet over FTP, each with its remembered format.
#pragma once

#include <string>

#include "database/collection.h"
#include "export/ftp.h"

namespace pantrela {

// What the destinations hand their output to outside the program; tests
// put their own in.
class ExportServices {
 public:
  virtual ~ExportServices() = default;
  // Plain text (Windows-1252) onto the clipboard; false when there is none.
  virtual bool PutClipboardText(const std::string& text) = 0;
  // 0 when the mail program took the message, 1 otherwise.
  virtual int SendMailWithAttachment(const std::string& recipient, const std::string& subject,
                                     const std::string& body, const std::string& attachment) = 0;
  virtual FtpResult Upload(AppContext& ctx, Dialogs& dialogs, const std::string& settings,
                           const std::string& path) = 0;
  virtual void OpenWebAddress(AppContext& ctx, const std::string& address) = 0;
};

// The desktop's: the window system's clipboard, xdg-email, libcurl and the
// desktop's opener.
class SystemExportServices : public ExportServices {
 public:
  bool PutClipboardText(const std::string& text) override;
  int SendMailWithAttachment(const std::string& recipient, const std::string& subject, const std::string& body,
                             const std::string& attachment) override;
  FtpResult Upload(AppContext& ctx, Dialogs& dialogs, const std::string& settings, const std::string& path) override;
  void OpenWebAddress(AppContext& ctx, const std::string& address) override;
};

// Hands the message to the desktop's mail program with "xdg-email"; 0 when
// it took it. Blank recipient, subject or attachment are left out.
int SendMailWithAttachment(const std::string& recipient, const std::string& subject, const std::string& body,
                           const std::string& attachment);

// The export files handed to other programs (mail attachments, clipboard and
// tablet copies) live in "export-temp/" in the data folder: a mail program
// may read an attachment long after the hand-off returned, so the folder is
// emptied at the next start and at shut-down rather than at once.
std::string ExportScratchFolder(const FileTable& files);
void EmptyExportScratch(const FileTable& files);
// A new, empty folder inside it (ending with '/'), "" when none can be made.
std::string NewExportScratchFolder(const FileTable& files);

// Where a file export starts when no folder is remembered: the documents
// folder, else the home folder, else "/".
std::string DefaultExportFolder();

struct ExportSession {
  AppContext& ctx;
  Collection& collection;
  Dialogs& dialogs;
  ExportServices& services;
};

// Program texts.
inline constexpr const char* kNothingTickedMessage =
    "You have not selected any recipes!||Check the box next to the recipes you want to export.|"
    "Then click the export button.";
inline constexpr const char* kExportMenuEntries[4] = {"Export to a File", "Export to the Clipboard",
                                                      "Export to Email", "Export to your Tablet"};

// The export button: with ticked recipes in the shown list, the pop-up menu
// of the four destinations at (x, y); otherwise the message.
void ExportCommand(ExportSession& s, int x, int y, int width = 260);
void ExportToFile(ExportSession& s);
void ExportToClipboard(ExportSession& s);
void ExportToEmail(ExportSession& s);
void ExportToTablet(ExportSession& s);

// The value of `key` in the news text: the text between the first two
// double quotes after the key ("" when the key or the quotes are missing).
std::string NewsValue(const std::string& newsText, const std::string& key);

}  // namespace pantrela
