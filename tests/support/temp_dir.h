// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace pantrela::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder, ending with '/'.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Writes bytes to a file (creating it); reads a whole file ("" when missing).
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// The shared real-world test data folder, or "" when it is not there.
std::string SharedTestData();

}  // namespace pantrela::testing
