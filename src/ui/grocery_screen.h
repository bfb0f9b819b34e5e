// The grocery screen ("Grocery" tab, screen 5): the grocery catalogue as a
// shopping list with its three views, quantities, totals and commands.
#pragma once

#include <string>

#include "grocery/grocery.h"

namespace pantrela::ui {

class Screens;

// Control ids of the grocery screen.
enum GroceryIds : int {
  kIdGroceryFind = 140, kIdGroceryNewList, kIdGroceryPrint, kIdGroceryAdd, kIdGroceryEdit, kIdGroceryDelete,
  kIdGroceryExport,
  kIdGroceryViewAll = 150, kIdGroceryViewShopping, kIdGroceryViewSearch,
  kIdGroceryColQuantity = 160, kIdGroceryColItem, kIdGroceryColLocation, kIdGroceryColPrice,
  kIdGroceryList = 170, kIdGroceryUp, kIdGroceryBar, kIdGroceryDown, kIdGroceryTotals,
};
inline constexpr int kKindGroceryList = 170;

class GroceryScreen {
 public:
  explicit GroceryScreen(Screens& screens);
  // The screen procedure; the image is released when it ends.
  void Run();
  // Opening: the file is loaded in All Items, a pending search word is
  // searched.
  void Open();
  void Layout();
  void Paint();
  void Dispatch(int id);

  grocery::GroceryList& list() { return list_; }
  int RowHeight() const;
  int VisibleRows() const;
  // Row under a client y, or -1.
  int RowAt(int y) const;
  // The "+" and "-" buttons of the selected row (x1 of each).
  int PlusX() const { return listX1_ + 2; }
  int MinusX() const { return listX1_ + 2 + RowHeight(); }
  int RowTop(int row) const { return listY1_ + (row - list_.first) * RowHeight(); }
  // Header texts: "N Items" and the total line.
  std::string CountText() const;
  std::string TotalText() const;
  double lastPlusMs = 0;  // the last quantity change with its write and repaint

 private:
  void PaintList(int index);
  void SetView(int view);
  void Sort(int order);
  void Select(int row);
  void ShowSelected();
  void Quantity(int delta);
  void Press();
  void Export();
  void Print();

  Screens& s_;
  grocery::GroceryList list_;
  int listX1_ = 0, listY1_ = 0, listX2_ = 0, listY2_ = 0;
  int holding_ = 0;  // +1 / -1 while a row button is held
};

}  // namespace pantrela::ui
