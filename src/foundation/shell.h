// Handing documents and web addresses to other programs, with the log
// lines that record every start.
#pragma once

#include <string>
#include <string_view>

namespace pantrela {

struct AppContext;
class StatusLog;

// Percent-encodes the characters a browser's command line cannot carry:
// '%' (unless it already starts a %XX escape), space, < > # { } | \ ^ ~ [ ] `.
std::string EncodeWebAddress(std::string_view address);

// The argument the browser is given for a trimmed text: a local path
// (beginning with '/' or with a drive letter and ':') as it is, anything
// else as an encoded web address.
std::string BrowserArgument(std::string_view text);

// Opens a web address or a local document with the desktop's opener. An
// empty text does nothing. Without an opener the user is asked for a
// browser ("Where is your web browser?"); when none is chosen the message
// "Could not locate your web browser?" is shown and nothing opens.
void OpenWebAddress(AppContext& ctx, std::string_view text);

// Starts a program file with one parameter (none when empty) and logs
// "Open Program (File): ", "Open Program (Parameter): " and the outcome.
// True when the program started.
bool StartProgram(const StatusLog& log, const std::string& file, const std::string& parameter);

// Text of a system error number (at most 255 bytes, no trailing breaks).
std::string SystemErrorText(int code);

}  // namespace pantrela
