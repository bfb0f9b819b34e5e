// A grocery list on a fresh data folder with scripted dialogs, and records
// laid out by hand from the 200-byte layout.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grocery/grocery.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

inline std::string LE32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
  return s;
}

inline std::string Padded(const std::string& text, size_t size) {
  std::string s = text;
  s.resize(size, '\0');
  return s;
}

// One record byte for byte: "GS", edit marker, price, store[40],
// location[40], name[104], type, hit, quantity, default, "GE".
inline std::string HandRecord(const std::string& name, const std::string& store, const std::string& location,
                              uint32_t price = 0, uint8_t quantity = 0, uint8_t defaultQuantity = 0,
                              uint8_t type = 0, uint32_t edit = 0, uint8_t hit = 0) {
  std::string r = "GS" + LE32(edit) + LE32(price) + Padded(store, 40) + Padded(location, 40) + Padded(name, 104);
  r += char(type);
  r += char(hit);
  r += char(quantity);
  r += char(defaultQuantity);
  r += "GE";
  return r;
}

inline std::string HandHeading(const std::string& store, const std::string& location) {
  return HandRecord("*** Location Heading ***", store, location, 0, 0, 0, 1);
}

class GroceryTest : public ::testing::Test {
 protected:
  GroceryTest() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }
  std::string File() const { return ReadBytes(ctx.files.grocery); }
  void Seed(const std::string& bytes) {
    WriteBytes(ctx.files.grocery, bytes);
    list.view = grocery::kViewAll;
    list.first = list.selected = 0;
    list.Load();
  }
  // Names of the listed rows; headings as "[store: location]".
  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (int r = 0; r < int(list.rows.size()); ++r) {
      const grocery::Item it = list.RowItem(r);
      out.push_back(it.type == 1 ? "[" + grocery::StoreAndLocation(it.store, it.location) + "]" : it.name);
    }
    return out;
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  AppContext ctx;
  grocery::GroceryList list{ctx};
};

}  // namespace pantrela::testing
