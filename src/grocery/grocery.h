// The grocery file "Grocery747.dat": fixed 200-byte records of items and
// location headings, held whole in memory as its file image while the list
// is open, with the list of rows the current view shows. Every change is
// written back at once through a whole-file rewrite; a failed write is
// reported and the image is read back from the file, so memory never claims
// what the disk does not hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/bytes.h"
#include "foundation/context.h"

namespace pantrela::grocery {

// Record layout.
inline constexpr size_t kRecordSize = 200;
inline constexpr size_t kOffEditMark = 2;
inline constexpr size_t kOffPrice = 6;
inline constexpr size_t kOffStore = 10;
inline constexpr size_t kOffLocation = 50;
inline constexpr size_t kOffName = 90;
inline constexpr size_t kOffType = 194;
inline constexpr size_t kOffHit = 195;
inline constexpr size_t kOffQuantity = 196;
inline constexpr size_t kOffDefault = 197;
inline constexpr size_t kOffEnd = 198;
inline constexpr size_t kStoreField = 40, kLocationField = 40, kNameField = 104;

inline constexpr uint32_t kEditMark = 123456789;
inline constexpr uint8_t kTypeItem = 0, kTypeHeading = 1, kTypeDeleted = 255;
inline constexpr int32_t kMaxPrice = 999900;
inline constexpr const char* kHeadingText = "*** Location Heading ***";

enum View : int { kViewAll = 0, kViewShopping = 1, kViewSearch = 2 };
extern const char* const kViewNames[3];

enum Order : int { kByLocation = 0, kByName = 1, kByQuantity = 2, kByPrice = 3 };

// The values of one record.
struct Item {
  std::string name, store, location;
  int32_t price = 0;  // cents
  uint8_t quantity = 0, defaultQuantity = 0;
  uint8_t type = kTypeItem;
  uint8_t hit = 0;
  uint32_t editMark = 0;
};

// The 200 bytes of a record.
std::string RecordBytes(const Item& item);
std::string HeadingBytes(std::string_view store, std::string_view location);
Item ReadRecord(const ByteImage& image, size_t offset);

// Offsets of every record the marker check accepts ("GS" at p, "GE" at
// p + 198), deleted records included; anything else is stepped over one
// byte at a time.
std::vector<size_t> ScanRecords(const ByteImage& image);

// The store-location key of a group: lower-cased store + " - " + location.
std::string GroupKey(std::string_view store, std::string_view location);
// "Store: Location", or the one that is not empty.
std::string StoreAndLocation(std::string_view store, std::string_view location);

// Sort key of an item record in one of the four orders.
std::string SortKey(const ByteImage& image, size_t offset, int order);
// The file of the items of `image` in that order with a heading before every
// change of store or location; headings and deleted records are dropped.
std::string SortedFile(const ByteImage& image, int order);

// Typed values of the item form: '$3.50' -> 350, '12345' -> 999900,
// 'abc' -> 0; the first whole number clamped to 0..255.
int32_t ParsePrice(std::string_view text);
uint8_t ParseQuantity(std::string_view text);
// FORMAT(cents / 100, "0.00").
std::string PriceText(int32_t cents);

// The forgiving search key ('Phillo dough' and 'filo dough' both give
// 'filodough').
std::string GroceryKey(std::string_view text);

// The previous-generation "Grocer30.dat" (100-byte records) as the bytes of
// an unsorted current file.
std::string UpgradedRecords(std::string_view old);

// The grocery list of one data folder.
class GroceryList {
 public:
  explicit GroceryList(AppContext& ctx) : ctx_(ctx) {}

  ByteImage image;
  std::vector<size_t> rows;  // offsets of the records the view lists
  int view = kViewAll;
  int first = 0;     // first visible row
  int selected = 0;  // selected row
  int64_t itemCount = 0;  // item records the view lists
  int64_t total = 0;      // sum of quantity x price over all items, cents
  std::string searchText;

  // Reads the file into the image and builds the rows of the view. A
  // missing file is an empty list.
  void Load();
  // Rebuilds the rows and totals from the image.
  void BuildRows();
  // Writes the image back, cut to whole records. A failure is reported,
  // logged and the image read back from the file; false then.
  bool SaveImage();
  // Sorts in `order`, rewrites the file with headings and reloads.
  bool SortAndSave(int order);
  int Order() const;

  // The record of a row, or npos.
  size_t RowOffset(int row) const;
  bool IsHeadingRow(int row) const;
  Item RowItem(int row) const { return ReadRecord(image, RowOffset(row)); }

  // Non-interactive operations (the companion and the forms share them).
  // Each writes the file and re-sorts; false when a write failed.
  bool AddItem(const Item& item);
  bool UpdateItem(size_t offset, const Item& values);
  bool RenameLocation(size_t headingOffset, std::string store, std::string location);
  bool DeleteItem(size_t offset);
  bool DeleteLocation(size_t headingOffset);
  // Changes the quantity of an item by delta, clamped to 0..255, and writes
  // the image back (no re-sort).
  bool ChangeQuantity(size_t offset, int delta);
  bool SetQuantity(size_t offset, int quantity);
  // Every quantity to 0, then every item's to its default; the view becomes
  // the shopping list.
  bool NewList();
  // Marks the search hits of `text`; the view becomes the search results.
  bool Search(const std::string& text);
  // The row of the record carrying the edit marker, or of the heading of a
  // group key; -1 when none.
  int RowWithEditMark() const;
  int HeadingRow(const std::string& key) const;
  // Left/Right: the previous or next heading row from the selection, -1
  // when none.
  int NextHeadingRow(int from, int direction) const;

  // The commands of the grocery screen with their forms and questions.
  void EditItem(bool isNew);
  void EditLocation();
  void DeleteRow();
  void AskNewList();
  void AskFind();

  // Drops the image and rows and clears the search text (the screen closes).
  void Release();

  AppContext& ctx() { return ctx_; }

 private:
  bool WriteFile(const std::string& bytes);
  // Writes one changed byte of the image in place; false when the file
  // cannot be updated so (it is not the image's twin, or a link).
  enum class InPlace { kDone, kFailed, kNotPossible };
  InPlace WriteByteInPlace(size_t offset);
  void SelectRow(int row);
  bool diskMatches_ = false;  // the file holds exactly the image's bytes
  AppContext& ctx_;
};

// Creates "Grocery747.dat" from "Grocer30.dat" when only the old file
// exists in the data folder. True when a new file was written.
bool UpgradeGroceryFile(AppContext& ctx);

}  // namespace pantrela::grocery
