#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "foundation/file.h"

namespace pantrela::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/pantrela-test-XXXXXX";
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl + "/";
}

TempDir::~TempDir() { DeleteTree(path_); }

void WriteBytes(const std::string& path, const std::string& bytes) {
  File f = File::Open(OpenMode::Write, path);
  if (!f.WriteAll(bytes)) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadBytes(const std::string& path) {
  std::string s;
  ReadWholeFile(path, s);
  return s;
}

std::string SharedTestData() {
#ifdef PANTRELA_SHARED_TESTDATA
  std::string p = PANTRELA_SHARED_TESTDATA;
#else
  std::string p = "../shared/testdata";
#endif
  if (const char* e = std::getenv("PANTRELA_SHARED_TESTDATA")) p = e;
  if (!p.empty() && p.back() != '/') p += '/';
  return IsDirectory(p) ? p : std::string();
}

}  // namespace pantrela::testing
