#include "export/ftp.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdint>

#include "foundation/context.h"
#include "foundation/dialogs.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "foundation/text_list.h"
#include "ingredients/text_ops.h"

namespace pantrela {

std::vector<std::string> SplitFtpSettings(const std::string& settings) {
  std::vector<std::string> values = SplitList(settings, ' ');
  values.resize(6);
  return values;
}

namespace {

enum Field { kHost, kPort, kDirectory, kUser, kPassword, kFilename };

std::string Strip(std::string s, char c) {
  size_t a = s.find_first_not_of(c);
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(c);
  return s.substr(a, b - a + 1);
}

}  // namespace

bool FtpSettingsForm(Dialogs& dialogs, const std::string& formText, const std::string& helpLink,
                     std::string& settings, const std::string& baseName, const std::string& ext,
                     const std::function<void(const std::string&)>& openLink) {
  std::vector<std::string> values = SplitFtpSettings(settings);
  if (values[kDirectory].empty()) values[kDirectory] = ext == "mobi" ? "Documents" : "Local";
  std::string message = formText;
  std::vector<FormField> fields(6);
  for (size_t i = 0; i < 6; ++i) fields[i].text = values[i];
  for (;;) {
    const int button = dialogs.Form(message, "Host|Port|Directory|User|Password|Filename", 1, "OK|Cancel|FAQ",
                                    100 + 29, fields);
    fields.resize(6);
    if (button == 3) {
      if (openLink) openLink(helpLink);
      continue;
    }
    if (button != 1) return false;
    for (size_t i = 0; i < 6; ++i) values[i] = fields[i].text;
    std::string& name = values[kFilename];
    if (name.empty()) {
      name = baseName + "." + ext;
    } else {
      textops::RemoveChar(name, '/');
      name = name.substr(0, name.find('.')) + "." + ext;
    }
    values[kDirectory] = Strip(Strip(values[kDirectory], '/'), '\\');
    for (size_t i = 0; i < 6; ++i) fields[i].text = values[i];
    if (textops::TrimSpaces(values[kHost]).empty() || textops::TrimSpaces(values[kPort]).empty()) {
      message += "|* Host and Port are Required Fields *";
      continue;
    }
    settings.clear();
    for (size_t i = 0; i < 6; ++i) settings += (i ? " " : "") + values[i];
    return true;
  }
}

// ----- the upload -----

namespace {

// Keeps the server's last response line; libcurl hands FTP responses to the
// header callback.
size_t KeepResponse(char* data, size_t size, size_t count, void* user) {
  auto* last = static_cast<std::string*>(user);
  std::string line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (!line.empty()) *last = line;
  return size * count;
}

size_t ReadFromFile(char* buffer, size_t size, size_t count, void* user) {
  return std::fread(buffer, size, count, static_cast<std::FILE*>(user));
}

// Each path segment percent-encoded, the "/" between them kept.
std::string EscapePath(CURL* curl, const std::string& path) {
  std::string out;
  size_t start = 0;
  for (;;) {
    size_t slash = path.find('/', start);
    std::string segment = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    char* e = curl_easy_escape(curl, segment.c_str(), int(segment.size()));
    out += e ? e : "";
    curl_free(e);
    if (slash == std::string::npos) break;
    out += '/';
    start = slash + 1;
  }
  return out;
}

class Upload {
 public:
  Upload(AppContext& ctx, Dialogs& d) : ctx_(ctx), progress_(d) {}
  ~Upload() {
    if (curl_) curl_easy_cleanup(curl_);
  }
  void Step(int n, const char* title, const char* line2 = "") { progress_.Update(title, line2, n, 7); }
  void Log(const std::string& line) { ctx_.Log(line); }
  // The libcurl result of the last call, for the log.
  void LogCurl(CURLcode code) {
    long response = 0;
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &response);
    Log("libcurl: " + Plain(int(code)) + " " + curl_easy_strerror(code) + " - Last Response: " + Plain(response) +
        " " + last_);
  }

  FtpResult Run(const std::vector<std::string>& v, const std::string& path, const FtpTimeouts& t) {
    Log("FTP Upload \r\n" + std::string(16, '=') + "\r\n");
    Log("Source File: " + path);

    Step(1, "Verify Source File");
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      Log("Source File Is Missing");
      return {0, "Source File Is Missing"};
    }

    Step(2, "Opening a connection");
    curl_ = curl_easy_init();
    if (!curl_) {
      Log("ERROR: Could not open an Internet connection");
      return {0, "Error Opening Connection"};
    }
    const std::string handle = Plain(int64_t(reinterpret_cast<intptr_t>(curl_)));
    Log("InternetOpen Handle: " + handle);
    curl_easy_setopt(curl_, CURLOPT_USERAGENT, "Pantrela FTP Upload");
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_FTPPORT, nullptr);  // passive
    curl_easy_setopt(curl_, CURLOPT_FTP_USE_EPSV, 1L);
    curl_easy_setopt(curl_, CURLOPT_TRANSFERTEXT, 0L);  // binary
    curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, KeepResponse);
    curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &last_);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, t.connectSeconds);
    curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, t.responseSeconds);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, t.stalledSeconds);
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, "ftp");
    if (!v[kUser].empty()) {
      curl_easy_setopt(curl_, CURLOPT_USERNAME, v[kUser].c_str());
      curl_easy_setopt(curl_, CURLOPT_PASSWORD, v[kPassword].c_str());
    }
    const std::string host = v[kHost].find(':') != std::string::npos ? "[" + v[kHost] + "]" : v[kHost];
    const std::string base = "ftp://" + host + ":" + Plain(ValInt(v[kPort])) + "/";

    Step(3, "Connect to FTP server", "This may take a few minutes to time out...");
    curl_easy_setopt(curl_, CURLOPT_URL, base.c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    CURLcode rc = curl_easy_perform(curl_);
    if (rc != CURLE_OK) {
      Log("Error: Could not connect to server");
      LogCurl(rc);
      return {0, "Error connecting to server||(Verify Host, Port, and Directory)"};
    }

    Step(4, "Retrieve Server Response");
    long response = 0;
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &response);
    Log("HIconnect: " + handle + "\r\nLast Response: " + Plain(response) + "\r\n" + last_);
    Log("Connected to Server");

    Step(5, "Get Current Directory");
    const char* entry = nullptr;
    if (curl_easy_getinfo(curl_, CURLINFO_FTP_ENTRY_PATH, &entry) != CURLE_OK || !entry) {
      Log("FtpGetCurrentDirectory failed");
      return {0, "Error Getting Server Directory"};
    }
    Log(std::string("Current FTP Server Directory Is: ") + entry + "\r\n");

    Step(6, "Uploading File via FTP");
    const std::string remote = v[kDirectory].empty() ? v[kFilename] : v[kDirectory] + "/" + v[kFilename];
    Log("Remote Filename: " + remote + "\r\n");
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
      Log("Source File Is Missing");
      return {0, "Source File Is Missing"};
    }
    const std::string url = base + EscapePath(curl_, remote);
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_READFUNCTION, ReadFromFile);
    curl_easy_setopt(curl_, CURLOPT_READDATA, in);
    curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, curl_off_t(st.st_size));
    rc = curl_easy_perform(curl_);
    std::fclose(in);
    if (rc != CURLE_OK) {
      curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &response);
      Log("ERROR: Upload Failed - " + Plain(int(rc)) + " - " + Plain(response) + "\r\n" + last_);
      LogCurl(rc);
      return {0, "Error Uploading File||(Verify Directory is Correct)"};
    }
    Log("File Uploaded Sucessfully\r\n");

    Step(7, "Closing FTP Connection");
    Log("Closing Open Handles");
    curl_easy_cleanup(curl_);
    curl_ = nullptr;
    Log("End of Program, review the log file");
    return {1, "File Uploaded Successfuly"};
  }

 private:
  AppContext& ctx_;
  ProgressScope progress_;
  CURL* curl_ = nullptr;
  std::string last_;
};

}  // namespace

FtpResult FtpUpload(AppContext& ctx, Dialogs& dialogs, const std::string& settings, const std::string& localPath,
                    const FtpTimeouts& timeouts) {
  Upload upload(ctx, dialogs);
  return upload.Run(SplitFtpSettings(settings), localPath, timeouts);
}

}  // namespace pantrela
