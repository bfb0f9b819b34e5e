// The progress window of an export, updated only when its title or the
// shown percentage changes.
#pragma once

#include "foundation/dialogs.h"

namespace pantrela {

class ExportProgress {
 public:
  explicit ExportProgress(Dialogs& d) : d_(d) { d_.ProgressOpen(); }
  ~ExportProgress() { d_.ProgressClose(); }
  ExportProgress(const ExportProgress&) = delete;
  ExportProgress& operator=(const ExportProgress&) = delete;
  void Step(const char* title, double value, double maximum) {
    const int percent = ProgressPercent(value, maximum);
    if (title == title_ && percent == percent_) return;
    title_ = title;
    percent_ = percent;
    d_.ProgressUpdate(title, "", value, maximum);
  }
  bool Stop() { return d_.ProgressStop(); }

 private:
  Dialogs& d_;
  const char* title_ = nullptr;
  int percent_ = -1;
};

}  // namespace pantrela
