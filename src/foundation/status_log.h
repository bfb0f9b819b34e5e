// "status.log": the program's one diagnostic record. Each line is opened,
// appended with CR LF and closed again, so it is on disk at once. Logging
// never fails its caller.
#pragma once

#include <string>
#include <string_view>

namespace pantrela {

class StatusLog {
 public:
  StatusLog() = default;
  explicit StatusLog(std::string path) : path_(std::move(path)) {}
  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  // Appends text + CR LF.
  void Log(std::string_view text) const;
  // Deletes the log of the previous run.
  void Delete() const;

 private:
  std::string path_;
};

}  // namespace pantrela
