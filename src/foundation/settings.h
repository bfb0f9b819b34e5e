// Settings held in "Setup747.dat": a flat run of entries
//   magic 0xD431 (u16) | key length (u16) | value length (u32) | key | value
// written in the order of the key table below. Integers are stored as
// decimal text, texts and the print records as their bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pantrela {

struct WorkArea {
  int left = 0, top = 0, right = 1920, bottom = 1080;
};

struct Settings {
  int32_t window_x = 0;
  int32_t window_y = 0;
  int32_t window_wide = 0;
  int32_t window_high = 0;
  int32_t window_state = 1;
  int32_t upgrade_date = 0;
  std::string last_news;
  std::string screen_font = "Microsoft Sans Serif";
  int32_t screen_font_size = 20;
  int32_t meal_time = 0;
  std::string image_path;
  std::string backup_path;
  int32_t email_format = 0;
  int32_t export_file = 0;
  int32_t export_clipboard = 0;
  int32_t export_email = 0;
  std::string export_format;
  std::string export_path;
  std::string grocery_path;
  int32_t grocery_format = 0;
  int32_t grocery_sort = 0;
  int32_t ingredient_format = 0;
  std::string import_path;
  int32_t import_chapter = 0;
  int32_t import_spell = 0;
  int32_t print_format = 0;
  int32_t recipe_default = 0;
  int32_t grocery_default = 0;
  int32_t meal_default = 0;
  std::string ftp_mobi;
  std::string ftp_pdf;
  std::string ftp_grocery_mobi;
  std::string ftp_grocery_htm;
  std::string cloud_user;
  std::string cloud_password;
  std::array<std::string, 14> print;  // print01 .. print14, opaque records
};

// Sets the defaults, reads the file (created empty when missing), then clamps
// the window placement to the work area.
void ReadSettings(Settings& s, const std::string& path, const WorkArea& area);
// The same on a file image already in memory.
void ParseSettings(Settings& s, std::string_view bytes, const WorkArea& area);
// Writes the whole file from the current values (atomically, mode 0600: it
// holds passwords).
[[nodiscard]] bool WriteSettings(const Settings& s, const std::string& path);
// The file image the writer produces.
std::string SettingsFileImage(const Settings& s);
// One entry: magic, key length, value length, key, value.
std::string SettingsEntry(std::string_view key, std::string_view value);
// True for every key of the table, print01 .. print14 included.
bool IsSettingsKey(std::string_view key);

}  // namespace pantrela
