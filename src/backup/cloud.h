// Cloud account, backup and restore. The backup registers the account on
// the vendor's server, packs the whole collection (record texts, chapters,
// a title index, the grocery, meal and dictionary files) into one zip
// archive and uploads it in pieces; the restore lists the account's files,
// downloads them, rebuilds the recipe file from the record texts and
// replaces the other data files. The Options screen's "Cloud Backup" and
// "Cloud Restore" buttons and pantrela-cli call these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backup/vendor_http.h"

namespace pantrela {

class Collection;
class Dialogs;

struct CloudCredentials {
  std::string user;
  std::string password;
};

enum class CloudOutcome { Done, Cancelled, Failed };

inline constexpr size_t kCloudPieceBytes = 512000;
inline constexpr uint64_t kCloudRecordFileBytes = 20000000;

// The first rule a trimmed, lower-cased pair breaks, as the line appended
// to the login prompt ("|USER must be at least four characters long"), or
// "" when the pair is fine.
std::string CloudCredentialError(const std::string& user, const std::string& password);

// The login form, prefilled from cloud_user and cloud_password, shown again
// with the broken rule until the pair is fine; nothing on "Cancel". With
// `given` (pantrela-cli) the pair is checked once without the form, and a
// broken rule is shown as a message.
std::optional<CloudCredentials> CloudLogin(Collection& db, const CloudCredentials* given = nullptr);

// Posts one piece of the archive to "/recipes/upload-records.php". Returns
// "" when the server stored it, else the error text.
std::string CloudUpload(const VendorHost& host, const CloudCredentials& login, std::string_view data,
                        std::string_view fileName, uint64_t offset, const std::string& accessCode,
                        const std::string& boundary);
// The error text of an upload answer body: line breaks and "<br>" as "|",
// bold tags removed, long lines broken after 50 characters, "|" and blanks
// trimmed at both ends.
std::string CloudUploadErrorText(std::string_view body);
// A new access code from the millisecond counter.
std::string NewAccessCode();

// The two commands. Every outcome is shown to the user through the
// collection's dialogs and the failures are logged.
CloudOutcome CloudBackup(Collection& db, const VendorHost& host, const CloudCredentials* given = nullptr);
// The question the Options screen asks first; true on "OK".
bool ConfirmCloudRestore(Dialogs& dialogs);
CloudOutcome CloudRestore(Collection& db, const VendorHost& host, const CloudCredentials* given = nullptr);

}  // namespace pantrela
