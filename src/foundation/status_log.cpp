#include "foundation/status_log.h"

#include "foundation/file.h"

namespace pantrela {

void StatusLog::Log(std::string_view text) const {
  if (path_.empty()) return;
  File f = File::Open(Exists(path_) ? 'a' : 'o', path_);
  if (!f.valid()) return;
  f.WriteText(text, true);
}

void StatusLog::Delete() const {
  if (!path_.empty()) DeleteFile(path_);
}

}  // namespace pantrela
