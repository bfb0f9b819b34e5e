// The progress window of one long operation, as a scope: opened when the
// scope starts, closed when it ends (or at Close()), on every way out.
//
//   ProgressScope progress(ctx);
//   for (...) {
//     progress.Update("Updating Records", "", done, total);
//     if (progress.Stop()) break;          // space bar or quitting
//   }
//
// Update() paints only when the title, the second line or the shown
// percentage changed, so a loop may call it for every record. Stop() lets
// the waiting window events through and answers true once the user typed
// the space bar or the program is quitting; LetEventsThrough() does the same
// for work the user cannot stop, answering true only when quitting. Both stay
// true once they said so.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "foundation/context.h"

namespace pantrela {

class ProgressScope {
 public:
  // The context's dialogs; quitting also stops.
  explicit ProgressScope(AppContext& ctx);
  // Any dialogs; only what their ProgressStop() answers stops.
  explicit ProgressScope(Dialogs& dialogs);
  ~ProgressScope() { Close(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  // Shows the step; true when it was painted (something shown changed).
  bool Update(std::string_view title, std::string_view line2, double value, double maximum);
  bool Stop();
  bool LetEventsThrough();
  // Update(), then Stop() when something was painted or 256 steps went by
  // without a poll: for loops over many small items (lines of a file).
  bool Step(std::string_view title, std::string_view line2, double value, double maximum);
  // True once Stop() or LetEventsThrough() said so.
  bool stopped() const { return stopped_; }
  void Close();

 private:
  bool Quitting() const { return quit_ && quit_->load() > 0; }

  Dialogs& d_;
  const std::atomic<int>* quit_ = nullptr;
  bool open_ = true;
  bool stopped_ = false;
  std::string title_, line2_;
  int percent_ = -1;
  int sincePoll_ = 0;
};

}  // namespace pantrela
