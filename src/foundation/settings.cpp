#include "foundation/settings.h"

#include <algorithm>
#include <string_view>

#include "foundation/bytes.h"
#include "foundation/file.h"
#include "foundation/numtext.h"

namespace pantrela {

namespace {

constexpr uint16_t kEntryMagic = 0xD431;

enum class Kind { Int, Text };
struct Key {
  const char* name;
  Kind kind;
  int32_t Settings::*i = nullptr;
  std::string Settings::*t = nullptr;
};

#define INT_KEY(k) Key{#k, Kind::Int, &Settings::k, nullptr}
#define TEXT_KEY(k) Key{#k, Kind::Text, nullptr, &Settings::k}

// Every key in the order the writer emits it (print01..print14 follow).
const Key kKeys[] = {
    INT_KEY(window_x),          INT_KEY(window_y),          INT_KEY(window_wide),
    INT_KEY(window_high),       INT_KEY(window_state),      INT_KEY(upgrade_date),
    TEXT_KEY(last_news),        TEXT_KEY(screen_font),      INT_KEY(screen_font_size),
    INT_KEY(meal_time),         TEXT_KEY(image_path),       TEXT_KEY(backup_path),
    INT_KEY(email_format),      INT_KEY(export_file),       INT_KEY(export_clipboard),
    INT_KEY(export_email),      TEXT_KEY(export_format),    TEXT_KEY(export_path),
    TEXT_KEY(grocery_path),     INT_KEY(grocery_format),    INT_KEY(grocery_sort),
    INT_KEY(ingredient_format), TEXT_KEY(import_path),      INT_KEY(import_chapter),
    INT_KEY(import_spell),      INT_KEY(print_format),      INT_KEY(recipe_default),
    INT_KEY(grocery_default),   INT_KEY(meal_default),      TEXT_KEY(ftp_mobi),
    TEXT_KEY(ftp_pdf),          TEXT_KEY(ftp_grocery_mobi), TEXT_KEY(ftp_grocery_htm),
    TEXT_KEY(cloud_user),       TEXT_KEY(cloud_password),
};

std::string PrintKey(int i) { return std::string("print") + (i < 9 ? "0" : "") + std::to_string(i + 1); }

void SetDefaults(Settings& s, const WorkArea& a) {
  // meal_time, image_path and import_path have no default: they keep what
  // they hold (zero or empty at start, the first read's value on the second).
  Settings d;
  d.meal_time = s.meal_time;
  d.image_path = s.image_path;
  d.import_path = s.import_path;
  int w = a.right - a.left;
  int h = a.bottom - a.top - 1;
  d.window_wide = std::min(w, 1600);
  d.window_high = std::min(h, 1000);
  d.window_x = a.left + (w - d.window_wide) / 2;
  d.window_y = a.top + (h - d.window_high) / 2;
  s = std::move(d);
}

void Apply(Settings& s, std::string_view key, std::string_view value) {
  for (const Key& k : kKeys) {
    if (key != k.name) continue;
    if (k.kind == Kind::Int) s.*(k.i) = ValInt(value);
    else s.*(k.t) = std::string(value);
    return;
  }
  for (int i = 0; i < 14; ++i)
    if (key == PrintKey(i)) s.print[size_t(i)] = std::string(value);
}

void AppendEntry(std::string& out, std::string_view key, std::string_view value) {
  AppendLE16(out, kEntryMagic);
  AppendLE16(out, uint16_t(key.size()));
  AppendLE32(out, uint32_t(value.size()));
  out.append(key);
  out.append(value);
}

}  // namespace

void ReadSettings(Settings& s, const std::string& path, const WorkArea& a) {
  std::string bytes;
  {
    File f = File::Open(OpenMode::Read, path);  // a missing file is created empty
    if (f.valid()) bytes = f.ReadBytes(int64_t(f.Size()));
  }
  ParseSettings(s, bytes, a);
}

void ParseSettings(Settings& s, std::string_view bytes, const WorkArea& a) {
  SetDefaults(s, a);
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  const uint64_t size = bytes.size();
  uint64_t p = 0;
  while (p + 8 < size) {
    if (GetLE16(b + p) != kEntryMagic) {
      ++p;  // resynchronise byte by byte
      continue;
    }
    uint64_t k = GetLE16(b + p + 2);
    uint64_t v = GetLE32(b + p + 4);
    p += 8;
    if (p + k > size) {  // truncated key: nothing of this entry
      ++p;
      continue;
    }
    std::string_view key(bytes.data() + p, k);
    p += k;
    std::string_view value;
    if (p + v > size) ++p;  // truncated value: the key with an empty value
    else {
      value = std::string_view(bytes.data() + p, v);
      p += v;
    }
    Apply(s, key, value);
  }
  s.window_wide = std::max(s.window_wide, 790);
  s.window_high = std::max(s.window_high, 550);
  s.window_x = std::min(s.window_x, a.right - 400);
  s.window_y = std::min(s.window_y, a.bottom - 400);
  s.window_x = std::max(s.window_x, a.left - s.window_wide + 400);
  s.window_y = std::max(s.window_y, a.top - s.window_high + 400);
  if (s.window_state == 2) s.window_state = 1;
}

std::string SettingsFileImage(const Settings& s) {
  std::string out;
  for (const Key& k : kKeys) {
    if (k.kind == Kind::Int) AppendEntry(out, k.name, Plain(s.*(k.i)));
    else AppendEntry(out, k.name, s.*(k.t));
  }
  for (int i = 0; i < 14; ++i) AppendEntry(out, PrintKey(i), s.print[size_t(i)]);
  return out;
}

std::string SettingsEntry(std::string_view key, std::string_view value) {
  std::string out;
  AppendEntry(out, key, value);
  return out;
}

bool IsSettingsKey(std::string_view key) {
  for (const Key& k : kKeys)
    if (key == k.name) return true;
  for (int i = 0; i < 14; ++i)
    if (key == PrintKey(i)) return true;
  return false;
}

bool WriteSettings(const Settings& s, const std::string& path) {
  ClearReadOnly(path);
  return WriteFileAtomic(path, SettingsFileImage(s), 0600);
}

}  // namespace pantrela
