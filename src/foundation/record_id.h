// Record IDs: positive 64-bit values made from the UTC time to the
// millisecond and a counter. Bits: year 51-62, month 47-50, day 42-46,
// hour 37-41, minute 31-36, second 25-30, millisecond 15-24, counter 0-14.
#pragma once

#include <cstdint>

namespace pantrela {

struct IdTime {
  int year, month, day, hour, minute, second, millisecond;
};

int64_t ComposeRecordId(const IdTime& t, int counter);
IdTime DecomposeRecordId(int64_t id, int* counter = nullptr);

// Makes IDs from the clock. One per run, owned by the application context.
class RecordIdMaker {
 public:
  int64_t Make();

 private:
  int64_t lastMs_ = -1;  // milliseconds since the epoch of the last ID
  int counter_ = 0;
};

}  // namespace pantrela
