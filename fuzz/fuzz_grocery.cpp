// fuzz-deps: pantrela_grocery
// Any bytes as "Grocery747.dat", and the same bytes as the older
// "Grocer30.dat": loading, every view, a search, a quantity change, a sort
// and the upgrade read only whole records and write back whole records.
#include <cstdint>
#include <string>

#include "foundation/file.h"
#include "fuzz_support.h"
#include "grocery/grocery.h"

using namespace pantrela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  fuzz::StartFresh(ctx, "fuzz_grocery");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!WriteFileAtomic(ctx.files.grocery, bytes)) return 0;
  grocery::GroceryList list(ctx);
  list.Load();
  for (int view = 0; view < 3; ++view) {
    list.view = view;
    list.BuildRows();
    for (int r = 0; r < int(list.rows.size()); ++r) (void)list.RowItem(r);
  }
  list.Search("milk");
  if (!list.rows.empty()) list.ChangeQuantity(list.rows[0], 1);
  list.SortAndSave(int(size % 4));
  std::string after;
  ReadWholeFile(ctx.files.grocery, after);
  if (after.size() % grocery::kRecordSize != 0) __builtin_trap();
  DeleteFile(ctx.files.grocery);
  const std::string upgraded = grocery::UpgradedRecords(bytes);
  if (upgraded.size() != size / 100 * grocery::kRecordSize) __builtin_trap();
  return 0;
}
