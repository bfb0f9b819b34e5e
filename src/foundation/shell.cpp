#include "foundation/shell.h"

#include <cctype>
#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/status_log.h"
#include "platform/shell.h"

namespace pantrela {

static bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::string EncodeWebAddress(std::string_view a) {
  std::string out;
  out.reserve(a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    switch (c) {
      case '%':
        // An address copied from a browser is already encoded; its escapes
        // pass through unchanged instead of being encoded twice.
        if (i + 2 < a.size() && IsHex(a[i + 1]) && IsHex(a[i + 2])) out += '%';
        else out += "%25";
        break;
      case ' ': out += "%20"; break;
      case '<': out += "%3C"; break;
      case '>': out += "%3E"; break;
      case '#': out += "%23"; break;
      case '{': out += "%7B"; break;
      case '}': out += "%7D"; break;
      case '|': out += "%7C"; break;
      case '\\': out += "%5C"; break;
      case '^': out += "%5E"; break;
      case '~': out += "%7E"; break;
      case '[': out += "%5B"; break;
      case ']': out += "%5D"; break;
      case '`': out += "%60"; break;
      default: out += c;
    }
  }
  return out;
}

static std::string_view Trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t' || t.front() == '\r' || t.front() == '\n'))
    t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r' || t.back() == '\n'))
    t.remove_suffix(1);
  return t;
}

std::string BrowserArgument(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return {};
  if (text[0] == '/' || (text.size() >= 2 && text[1] == ':')) return std::string(text);
  return EncodeWebAddress(text);
}

void OpenWebAddress(AppContext& ctx, std::string_view text) {
  std::string arg = BrowserArgument(text);
  if (arg.empty()) return;
  std::string opener = platform::FindExecutable("xdg-open");
  if (opener.empty()) {
    std::string folder = "/usr/bin/", name;
    if (ctx.dialogs().BrowseFiles("Where is your web browser?", folder, name) && Exists(folder + name) &&
        !IsDirectory(folder + name))
      opener = folder + name;
  }
  if (opener.empty()) {
    ctx.dialogs().Message("Could not locate your web browser?", "OK", 1);
    return;
  }
  StartProgram(ctx.log, opener, arg);
}

bool StartProgram(const StatusLog& log, const std::string& file, const std::string& parameter) {
  log.Log("Open Program (File): " + file);
  log.Log("Open Program (Parameter): " + parameter);
  std::vector<std::string> args;
  if (!parameter.empty()) args.push_back(parameter);
  int rc = platform::StartDetached(file, args);
  if (rc == 0) {
    log.Log("Open Program: Successful");
    return true;
  }
  log.Log("Open Program: " + Spaced(rc) + " - " + SystemErrorText(rc));
  return false;
}

std::string SystemErrorText(int code) { return platform::SystemErrorText(code); }

}  // namespace pantrela
