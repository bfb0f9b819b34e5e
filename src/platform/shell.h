// Starting other programs: the desktop's opener (xdg-open) for documents
// and web addresses, and any program file with a parameter.
#pragma once

#include <string>
#include <vector>

namespace pantrela::platform {

// Full path of an executable found on PATH (or the name itself when it
// holds a '/' and is executable); "" when there is none.
std::string FindExecutable(const std::string& name);

// Starts `program` with the given arguments, detached: the call does not
// wait for it to end. Returns 0 when it started, else the errno value that
// kept it from starting (a missing file, no permission...).
int StartDetached(const std::string& program, const std::vector<std::string>& args);

// Text of a system error number, at most 255 bytes, without trailing line
// breaks.
std::string SystemErrorText(int code);

}  // namespace pantrela::platform
