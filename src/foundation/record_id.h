// Record IDs: positive 64-bit values made from the UTC time to the
// millisecond and a counter. Bits: year 51-62, month 47-50, day 42-46,
// hour 37-41, minute 31-36, second 25-30, millisecond 15-24, counter 0-14.
#pragma once

#include <cstdint>
#include <functional>

namespace pantrela {

struct IdTime {
  int year, month, day, hour, minute, second, millisecond;
};

int64_t ComposeRecordId(const IdTime& t, int counter);
IdTime DecomposeRecordId(int64_t id, int* counter = nullptr);

// Makes IDs from the clock. One per run, owned by the application context.
class RecordIdMaker {
 public:
  // Milliseconds since the Unix epoch, UTC. Tests pass their own clock.
  using Clock = std::function<int64_t()>;
  RecordIdMaker() = default;
  explicit RecordIdMaker(Clock clock) : clock_(std::move(clock)) {}

  // The counter restarts at 1 in every new millisecond. Within one
  // millisecond it counts up; when its 15 bits are used up, Make waits for
  // the next millisecond, so the IDs of one run are unique and increasing.
  int64_t Make();

 private:
  Clock clock_;
  int64_t lastMs_ = -1;  // milliseconds since the epoch of the last ID
  int counter_ = 0;
};

}  // namespace pantrela
