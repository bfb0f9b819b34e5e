#include "foundation/record_id.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace pantrela {

int64_t ComposeRecordId(const IdTime& t, int counter) {
  uint64_t v = uint64_t(t.year) & 0xFFF;
  v = (v << 4) | (uint64_t(t.month) & 0xF);
  v = (v << 5) | (uint64_t(t.day) & 0x1F);
  v = (v << 5) | (uint64_t(t.hour) & 0x1F);
  v = (v << 6) | (uint64_t(t.minute) & 0x3F);
  v = (v << 6) | (uint64_t(t.second) & 0x3F);
  v = (v << 10) | (uint64_t(t.millisecond) & 0x3FF);
  v = (v << 15) | (uint64_t(counter) & 0x7FFF);
  return int64_t(v);
}

IdTime DecomposeRecordId(int64_t id, int* counter) {
  uint64_t v = uint64_t(id);
  if (counter) *counter = int(v & 0x7FFF);
  IdTime t;
  t.millisecond = int((v >> 15) & 0x3FF);
  t.second = int((v >> 25) & 0x3F);
  t.minute = int((v >> 31) & 0x3F);
  t.hour = int((v >> 37) & 0x1F);
  t.day = int((v >> 42) & 0x1F);
  t.month = int((v >> 47) & 0xF);
  t.year = int((v >> 51) & 0xFFF);
  return t;
}

static int64_t SystemMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t RecordIdMaker::Make() {
  for (;;) {
    int64_t ms = clock_ ? clock_() : SystemMilliseconds();
    // A clock that steps back a little keeps counting in the last
    // millisecond, so IDs stay increasing; a large step back starts over.
    if (lastMs_ >= 0 && ms < lastMs_ && lastMs_ - ms < 2000) ms = lastMs_;
    if (ms == lastMs_) {
      if (counter_ >= 0x7FFF) {
        // Rather than wrap and repeat an ID, wait for the next millisecond.
        if (!clock_) std::this_thread::sleep_for(std::chrono::microseconds(50));
        continue;
      }
      ++counter_;
    } else {
      counter_ = 1;
      lastMs_ = ms;
    }
    std::time_t secs = std::time_t(ms / 1000);
    std::tm tm{};
    ::gmtime_r(&secs, &tm);
    IdTime t{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms % 1000)};
    return ComposeRecordId(t, counter_);
  }
}

}  // namespace pantrela
