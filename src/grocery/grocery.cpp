#include "grocery/grocery.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numeric>

#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/text_ops.h"

namespace pantrela::grocery {

const char* const kViewNames[3] = {"All Items", "Shopping List", "Search Results"};

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  textops::LowerInPlace(out);
  return out;
}

std::string Trimmed(std::string_view s) { return std::string(textops::TrimSpaces(s)); }

// A zero-terminated field: at most size - 1 bytes are kept.
void PutField(std::string& rec, size_t off, size_t size, std::string_view text) {
  const size_t n = std::min(text.size(), size - 1);
  rec.replace(off, n, text.substr(0, n));
}

std::string GetField(const ByteImage& image, size_t off, size_t size) {
  std::string s = image.GetBytes(off, size);
  const size_t z = s.find('\0');
  if (z != std::string::npos) s.resize(z);
  return s;
}

bool IsRecordAt(const uint8_t* d, size_t p) {
  return d[p] == 'G' && d[p + 1] == 'S' && d[p + kOffEnd] == 'G' && d[p + kOffEnd + 1] == 'E';
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) { textops::ReplaceAll(s, from, to); }

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

}  // namespace

std::string RecordBytes(const Item& item) {
  std::string rec(kRecordSize, '\0');
  rec[0] = 'G';
  rec[1] = 'S';
  PutLE32(reinterpret_cast<uint8_t*>(&rec[kOffEditMark]), item.editMark);
  PutLE32(reinterpret_cast<uint8_t*>(&rec[kOffPrice]), uint32_t(item.price));
  PutField(rec, kOffStore, kStoreField, item.store);
  PutField(rec, kOffLocation, kLocationField, item.location);
  PutField(rec, kOffName, kNameField, item.name);
  rec[kOffType] = char(item.type);
  rec[kOffHit] = char(item.hit);
  rec[kOffQuantity] = char(item.quantity);
  rec[kOffDefault] = char(item.defaultQuantity);
  rec[kOffEnd] = 'G';
  rec[kOffEnd + 1] = 'E';
  return rec;
}

std::string HeadingBytes(std::string_view store, std::string_view location) {
  Item h;
  h.type = kTypeHeading;
  h.store = std::string(store);
  h.location = std::string(location);
  h.name = kHeadingText;
  return RecordBytes(h);
}

Item ReadRecord(const ByteImage& image, size_t offset) {
  Item it;
  it.editMark = image.Get32(offset + kOffEditMark);
  it.price = image.GetI32(offset + kOffPrice);
  it.store = GetField(image, offset + kOffStore, kStoreField);
  it.location = GetField(image, offset + kOffLocation, kLocationField);
  it.name = GetField(image, offset + kOffName, kNameField);
  it.type = image.Get8(offset + kOffType);
  it.hit = image.Get8(offset + kOffHit);
  it.quantity = image.Get8(offset + kOffQuantity);
  it.defaultQuantity = image.Get8(offset + kOffDefault);
  return it;
}

std::vector<size_t> ScanRecords(const ByteImage& image) {
  std::vector<size_t> out;
  const uint8_t* d = image.data();
  const size_t size = image.size();
  if (size < kRecordSize) return out;
  size_t p = 0;
  while (p + kRecordSize <= size) {
    if (IsRecordAt(d, p)) {
      out.push_back(p);
      p += kRecordSize;
    } else {
      ++p;
    }
  }
  return out;
}

std::string GroupKey(std::string_view store, std::string_view location) {
  return Lower(std::string(store) + " - " + std::string(location));
}

std::string StoreAndLocation(std::string_view store, std::string_view location) {
  if (store.empty()) return std::string(location);
  if (location.empty()) return std::string(store);
  return std::string(store) + ": " + std::string(location);
}

std::string SortKey(const ByteImage& image, size_t offset, int order) {
  const Item it = ReadRecord(image, offset);
  std::string key;
  const std::string tail = it.name + '\0' + it.store + '\0' + it.location;
  switch (order) {
    case kByName: key = tail; break;
    case kByQuantity: key = Format(255 - it.quantity, "000") + tail; break;
    case kByPrice: key = Format(it.price, "00000000") + tail; break;
    default:
      key.assign(80, ' ');
      key.replace(0, std::min<size_t>(it.store.size(), 40), it.store.substr(0, 40));
      key.replace(40, std::min<size_t>(it.location.size(), 40), it.location.substr(0, 40));
      key += it.name;
  }
  textops::LowerInPlace(key);
  return key;
}

std::string SortedFile(const ByteImage& image, int order) {
  struct Entry {
    std::string key;
    size_t offset;
  };
  std::vector<Entry> items;
  for (size_t p : ScanRecords(image))
    if (image.Get8(p + kOffType) == kTypeItem) items.push_back({SortKey(image, p, order), p});
  std::stable_sort(items.begin(), items.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
  std::string out;
  out.reserve(items.size() * kRecordSize * 2);
  std::string prevStore, prevLocation;
  bool first = true;
  for (const Entry& e : items) {
    const Item it = ReadRecord(image, e.offset);
    const std::string store = Lower(it.store), location = Lower(it.location);
    if (first || store != prevStore || location != prevLocation) out += HeadingBytes(it.store, it.location);
    first = false;
    prevStore = store;
    prevLocation = location;
    out.append(image.view().substr(e.offset, kRecordSize));
  }
  return out;
}

int32_t ParsePrice(std::string_view text) {
  std::string kept;
  for (char c : text)
    if ((c >= '0' && c <= '9') || c == '.') kept += c;
  const double cents = std::nearbyint(100.0 * Val(kept));
  if (!(cents > 0)) return 0;
  return cents > kMaxPrice ? kMaxPrice : int32_t(cents);
}

uint8_t ParseQuantity(std::string_view text) {
  const int32_t n = LeadingInteger(text);
  return uint8_t(std::clamp(n, 0, 255));
}

std::string PriceText(int32_t cents) { return Format(cents / 100.0, "0.00"); }

std::string GroceryKey(std::string_view text) {
  std::string k = Lower(text);
  textops::RemoveChar(k, ' ');
  ReplaceAll(k, "cc", "c");
  ReplaceAll(k, "ll", "l");
  ReplaceAll(k, "bb", "b");
  ReplaceAll(k, "pp", "p");
  if (EndsWith(k, "mb")) k.pop_back();
  if (k.rfind("wh", 0) == 0) k.replace(0, 2, "w");
  if (EndsWith(k, "ley")) k.replace(k.size() - 3, 3, "ly");
  ReplaceAll(k, "ph", "f");
  ReplaceAll(k, "ck", "k");
  return k;
}

std::string UpgradedRecords(std::string_view old) {
  std::string out;
  const ByteImage img(old);
  auto counted = [&](size_t off, size_t max) {
    const size_t n = std::min<size_t>(img.Get8(off), max);
    return img.GetBytes(off + 1, n);
  };
  for (size_t i = 0; (i + 1) * 100 <= old.size(); ++i) {
    const size_t p = i * 100;
    Item it;
    it.editMark = uint32_t(i + 1);
    it.name = counted(p, 25);
    it.store = counted(p + 26, 15);
    it.location = counted(p + 42, 15);
    it.quantity = img.Get8(p + 58);
    it.defaultQuantity = img.Get8(p + 59);
    it.price = img.Get16(p + 60);
    // The zero terminator ends a name at the first zero byte.
    for (std::string* s : {&it.name, &it.store, &it.location})
      if (size_t z = s->find('\0'); z != std::string::npos) s->resize(z);
    out += RecordBytes(it);
  }
  return out;
}

// ---- The list ----

int GroceryList::Order() const { return std::clamp(ctx_.settings.grocery_sort, 0, 3); }

void GroceryList::Load() {
  std::string bytes;
  image = ByteImage();
  const bool read = ReadWholeFile(ctx_.files.grocery, bytes);
  if (read) image = ByteImage(bytes);
  diskMatches_ = read && bytes.size() % kRecordSize == 0;
  BuildRows();
}

void GroceryList::Release() {
  image.Free();
  rows.clear();
  searchText.clear();
  itemCount = total = 0;
  first = selected = 0;
}

void GroceryList::BuildRows() {
  rows.clear();
  itemCount = total = 0;
  const int order = Order();
  const std::vector<size_t> recs = ScanRecords(image);
  std::string prevKey;
  bool havePrev = false;
  for (size_t i = 0; i < recs.size(); ++i) {
    const size_t p = recs[i];
    const uint8_t type = image.Get8(p + kOffType);
    if (type == kTypeDeleted) continue;
    if (type == kTypeItem) total += int64_t(image.Get8(p + kOffQuantity)) * image.GetI32(p + kOffPrice);
    if (view == kViewAll) {
      if (type == kTypeItem || (type == kTypeHeading && order == kByLocation)) rows.push_back(p);
      if (type == kTypeItem) ++itemCount;
      continue;
    }
    if (type != kTypeItem) continue;
    const bool listed = view == kViewShopping ? image.Get8(p + kOffQuantity) > 0 : image.Get8(p + kOffHit) > 0;
    if (!listed) continue;
    if (order == kByLocation) {
      const std::string key = GroupKey(GetField(image, p + kOffStore, kStoreField),
                                       GetField(image, p + kOffLocation, kLocationField));
      if (!havePrev || key != prevKey) {
        // The nearest heading of this group before the item.
        for (size_t j = i; j-- > 0;) {
          const size_t h = recs[j];
          if (image.Get8(h + kOffType) == kTypeHeading &&
              GroupKey(GetField(image, h + kOffStore, kStoreField),
                       GetField(image, h + kOffLocation, kLocationField)) == key) {
            rows.push_back(h);
            break;
          }
        }
      }
      prevKey = key;
      havePrev = true;
    }
    rows.push_back(p);
    ++itemCount;
  }
  const int n = int(rows.size());
  selected = n == 0 ? 0 : std::clamp(selected, 0, n - 1);
  first = n == 0 ? 0 : std::clamp(first, 0, n - 1);
}

size_t GroceryList::RowOffset(int row) const {
  return row >= 0 && row < int(rows.size()) ? rows[size_t(row)] : std::string::npos;
}

bool GroceryList::IsHeadingRow(int row) const {
  const size_t p = RowOffset(row);
  return p != std::string::npos && image.Get8(p + kOffType) == kTypeHeading;
}

bool GroceryList::WriteFile(const std::string& bytes) {
  diskMatches_ = false;
  if (WriteFileAtomic(ctx_.files.grocery, bytes)) {
    diskMatches_ = true;
    return true;
  }
  const int err = errno;
  ReportWriteFailure(ctx_, ctx_.files.grocery, err);
  // What the disk holds is what the list shows.
  Load();
  return false;
}

bool GroceryList::SaveImage() {
  const size_t whole = image.size() / kRecordSize * kRecordSize;
  image.Resize(whole);
  return WriteFile(std::string(image.view()));
}

bool GroceryList::SortAndSave(int order) {
  ProgressScope progress(ctx_);
  progress.Update("Sorting Groceries", "", 0, 1);
  std::string bytes = SortedFile(image, order);
  progress.Update("Saving Grocery Data", "", 1, 1);
  const bool ok = WriteFile(bytes);
  progress.Close();
  if (!ok) return false;
  image = ByteImage(bytes);
  BuildRows();
  return true;
}

namespace {
void ClearEditMarks(ByteImage& image) {
  for (size_t p : ScanRecords(image)) image.Set32(p + kOffEditMark, 0);
}
}  // namespace

bool GroceryList::AddItem(const Item& values) {
  Item it = values;
  it.editMark = kEditMark;
  it.type = kTypeItem;
  it.hit = 0;
  it.quantity = values.quantity;
  ClearEditMarks(image);
  image.Resize(image.size() / kRecordSize * kRecordSize);
  image.Append(RecordBytes(it));
  const int before = view;
  view = kViewAll;
  if (!SortAndSave(Order())) {
    view = before;
    BuildRows();
    return false;
  }
  SelectRow(RowWithEditMark());
  return true;
}

bool GroceryList::UpdateItem(size_t offset, const Item& values) {
  if (!image.InRange(offset, kRecordSize)) return false;
  Item it = ReadRecord(image, offset);
  it.name = values.name;
  it.store = values.store;
  it.location = values.location;
  it.price = values.price;
  it.defaultQuantity = values.defaultQuantity;
  it.editMark = kEditMark;
  ClearEditMarks(image);
  image.PutBytes(offset, RecordBytes(it));
  if (!SortAndSave(Order())) return false;
  SelectRow(RowWithEditMark());
  return true;
}

bool GroceryList::RenameLocation(size_t headingOffset, std::string store, std::string location) {
  if (!image.InRange(headingOffset, kRecordSize)) return false;
  store = Trimmed(store);
  location = Trimmed(location);
  const Item h = ReadRecord(image, headingOffset);
  const std::string key = GroupKey(Trimmed(h.store), Trimmed(h.location));
  ClearEditMarks(image);
  for (size_t p : ScanRecords(image)) {
    const Item it = ReadRecord(image, p);
    if (GroupKey(Trimmed(it.store), Trimmed(it.location)) != key) continue;
    image.Fill(p + kOffStore, kStoreField + kLocationField, 0);
    image.PutBytes(p + kOffStore, store.substr(0, kStoreField - 1));
    image.PutBytes(p + kOffLocation, location.substr(0, kLocationField - 1));
  }
  if (!SortAndSave(Order())) return false;
  SelectRow(HeadingRow(GroupKey(store, location)));
  return true;
}

bool GroceryList::DeleteItem(size_t offset) {
  if (!image.InRange(offset, kRecordSize)) return false;
  image.Set8(offset + kOffType, kTypeDeleted);
  return SortAndSave(Order());
}

bool GroceryList::DeleteLocation(size_t headingOffset) {
  if (!image.InRange(headingOffset, kRecordSize)) return false;
  const Item h = ReadRecord(image, headingOffset);
  const std::string key = GroupKey(h.store, h.location);
  for (size_t p : ScanRecords(image)) {
    const Item it = ReadRecord(image, p);
    if (GroupKey(it.store, it.location) == key) image.Set8(p + kOffType, kTypeDeleted);
  }
  return SortAndSave(Order());
}

GroceryList::InPlace GroceryList::WriteByteInPlace(size_t offset) {
  if (!diskMatches_ || !Exists(ctx_.files.grocery)) return InPlace::kNotPossible;
  File f = File::Open(OpenMode::Update, ctx_.files.grocery);
  if (!f.valid() || f.Size() != image.size()) return InPlace::kNotPossible;
  f.Seek(offset);
  const std::string old = f.ReadBytes(1);
  f.Seek(offset);
  if (f.Write(image.data() + offset, 1) == 1 && f.Sync()) return InPlace::kDone;
  const int err = f.lastError();
  // A byte that was written but not synced is put back, so the file keeps
  // the value the failure report leaves in place.
  f.Seek(offset);
  if (old.size() == 1) (void)f.Write(old.data(), 1);
  f.Close();
  ReportWriteFailure(ctx_, ctx_.files.grocery, err);
  Load();
  return InPlace::kFailed;
}

bool GroceryList::SetQuantity(size_t offset, int quantity) {
  if (!image.InRange(offset, kRecordSize) || image.Get8(offset + kOffType) != kTypeItem) return false;
  image.Set8(offset + kOffQuantity, uint8_t(std::clamp(quantity, 0, 255)));
  // A quantity is one byte: when the file is the image's twin it is written
  // in place (a single-byte write cannot tear), else the file is rewritten.
  const InPlace done = WriteByteInPlace(offset + kOffQuantity);
  if (done == InPlace::kFailed) return false;
  if (done == InPlace::kNotPossible && !SaveImage()) return false;
  const int keepFirst = first, keepSelected = selected;
  BuildRows();
  first = std::min(keepFirst, std::max(0, int(rows.size()) - 1));
  selected = std::min(keepSelected, std::max(0, int(rows.size()) - 1));
  return true;
}

bool GroceryList::ChangeQuantity(size_t offset, int delta) {
  return SetQuantity(offset, int(image.Get8(offset + kOffQuantity)) + delta);
}

bool GroceryList::NewList() {
  for (size_t p : ScanRecords(image)) image.Set8(p + kOffQuantity, 0);
  for (size_t p : ScanRecords(image))
    if (image.Get8(p + kOffType) == kTypeItem) image.Set8(p + kOffQuantity, image.Get8(p + kOffDefault));
  if (!SaveImage()) return false;
  view = kViewShopping;
  first = selected = 0;
  BuildRows();
  return true;
}

bool GroceryList::Search(const std::string& text) {
  const std::string key = GroceryKey(Trimmed(text));
  for (size_t p : ScanRecords(image)) {
    const bool hit = image.Get8(p + kOffType) == kTypeItem && !key.empty() &&
                     GroceryKey(GetField(image, p + kOffName, kNameField)).find(key) != std::string::npos;
    image.Set8(p + kOffHit, hit ? 1 : 0);
  }
  if (!SaveImage()) return false;
  searchText = Trimmed(text);
  view = kViewSearch;
  first = selected = 0;
  BuildRows();
  return true;
}

int GroceryList::RowWithEditMark() const {
  for (size_t i = 0; i < rows.size(); ++i)
    if (image.Get32(rows[i] + kOffEditMark) == kEditMark) return int(i);
  return -1;
}

int GroceryList::HeadingRow(const std::string& key) const {
  for (size_t i = 0; i < rows.size(); ++i) {
    const Item it = ReadRecord(image, rows[i]);
    if (it.type == kTypeHeading && GroupKey(it.store, it.location) == key) return int(i);
  }
  return -1;
}

int GroceryList::NextHeadingRow(int from, int direction) const {
  for (int r = from + direction; r >= 0 && r < int(rows.size()); r += direction)
    if (IsHeadingRow(r)) return r;
  return -1;
}

void GroceryList::SelectRow(int row) {
  if (row < 0) return;
  selected = row;
  first = std::max(0, row - 2);
}

// ---- Forms ----

void GroceryList::EditItem(bool isNew) {
  Dialogs& d = ctx_.dialogs();
  if (!isNew && rows.empty()) {
    d.Message("There are no grocery items", "OK", 1);
    return;
  }
  if (!isNew && IsHeadingRow(selected)) {
    EditLocation();
    return;
  }
  Item it;
  if (!isNew) it = RowItem(selected);
  std::vector<FormField> fields(5);
  fields[0].text = it.name;
  fields[1].text = it.store;
  fields[2].text = it.location;
  fields[3].text = PriceText(it.price);
  fields[4].text = Fmt(it.defaultQuantity);
  const int maxima[5] = {79, 39, 39, 6, 3};
  for (int i = 0; i < 5; ++i) fields[size_t(i)].maxChars = maxima[i];
  if (d.Form(isNew ? "Add Grocery Item" : "Edit Grocery Item", "Item|Store|Location|Price|Default Quantity", 1,
             "OK|Cancel", 140, fields) != 1)
    return;
  fields.resize(5);
  Item values = it;
  values.name = Trimmed(fields[0].text);
  values.store = Trimmed(fields[1].text);
  values.location = Trimmed(fields[2].text);
  if (values.name.empty()) {
    d.Message("Every grocery item must have a name.", "OK", 1);
    return;
  }
  values.price = ParsePrice(fields[3].text);
  values.defaultQuantity = ParseQuantity(fields[4].text);
  if (isNew) {
    values.quantity = 0;
    AddItem(values);
  } else {
    UpdateItem(RowOffset(selected), values);
  }
}

void GroceryList::EditLocation() {
  const size_t h = RowOffset(selected);
  if (h == std::string::npos) return;
  const Item heading = ReadRecord(image, h);
  std::vector<FormField> fields(2);
  fields[0].text = heading.store;
  fields[1].text = heading.location;
  fields[0].maxChars = fields[1].maxChars = 39;
  if (ctx_.dialogs().Form("Edit Location|All items in this group will use the new location", "Store|Location", 1,
                         "OK|Cancel", 139, fields) != 1)
    return;
  fields.resize(2);
  RenameLocation(h, fields[0].text, fields[1].text);
}

void GroceryList::DeleteRow() {
  Dialogs& d = ctx_.dialogs();
  if (rows.empty()) {
    d.Message("There are no grocery items", "OK", 1);
    return;
  }
  const size_t p = RowOffset(selected);
  if (IsHeadingRow(selected)) {
    if (d.Message("Delete Location|Do you want to delete all items in the selected location?", "OK|Cancel", 1) == 1)
      DeleteLocation(p);
  } else if (d.Message("Delete Item|Do you want to delete the selected grocery item?", "OK|Cancel", 1) == 1) {
    DeleteItem(p);
  }
}

void GroceryList::AskNewList() {
  if (ctx_.dialogs().Message("Are you sure you want to|start a new shopping list?", "OK|Cancel", 1) == 1) NewList();
}

void GroceryList::AskFind() {
  std::vector<FormField> fields(1);
  if (ctx_.dialogs().Form("Find", "", 1, "OK|Cancel", 40, fields) != 1) return;
  fields.resize(1);
  Search(fields[0].text);
}

bool UpgradeGroceryFile(AppContext& ctx) {
  const std::string oldPath = ctx.files.dataFolder + "Grocer30.dat";
  if (Exists(ctx.files.grocery) || !Exists(oldPath) || IsDirectory(oldPath)) return false;
  std::string old;
  if (!ReadWholeFile(oldPath, old)) return false;
  GroceryList list(ctx);
  list.image = ByteImage(UpgradedRecords(old));
  return list.SortAndSave(list.Order());
}

}  // namespace pantrela::grocery
