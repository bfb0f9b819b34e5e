#include "foundation/progress.h"

namespace pantrela {

ProgressScope::ProgressScope(AppContext& ctx) : d_(ctx.dialogs()), quit_(&ctx.quit) { d_.ProgressOpen(); }

ProgressScope::ProgressScope(Dialogs& dialogs) : d_(dialogs) { d_.ProgressOpen(); }

bool ProgressScope::Update(std::string_view title, std::string_view line2, double value, double maximum) {
  if (!open_) return false;
  const int percent = ProgressPercent(value, maximum);
  if (percent == percent_ && title == title_ && line2 == line2_) return false;
  percent_ = percent;
  title_.assign(title);
  line2_.assign(line2);
  d_.ProgressUpdate(title_, line2_, value, maximum);
  return true;
}

bool ProgressScope::Stop() {
  if (stopped_) return true;
  sincePoll_ = 0;
  if (Quitting() || d_.ProgressStop() || Quitting()) stopped_ = true;
  return stopped_;
}

bool ProgressScope::LetEventsThrough() {
  if (stopped_) return true;
  d_.ProgressStop();
  if (Quitting()) stopped_ = true;
  return stopped_;
}

bool ProgressScope::Step(std::string_view title, std::string_view line2, double value, double maximum) {
  if (stopped_) return true;
  if (Update(title, line2, value, maximum) || ++sincePoll_ >= 256) return Stop();
  return false;
}

void ProgressScope::Close() {
  if (open_) d_.ProgressClose();
  open_ = false;
}

}  // namespace pantrela
