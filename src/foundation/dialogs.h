// How logic code talks to the user. Logic never draws: it asks through this
// interface. The program implements it with its self-drawn dialogs, the
// headless companion with the terminal, and tests with a scripted double that
// returns queued answers and records every text shown, byte for byte.
//
// Lists are single strings with "|" between entries ("OK|Cancel"); in a
// message "||" is an empty line. Buttons are numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pantrela {

// One field of an input form: text in and out, with its own colours and
// maximum (0 = the form's common maximum).
struct FormField {
  std::string text;
  uint32_t textColour = 0x000000;
  uint32_t backColour = 0xFFFFFF;
  int maxChars = 0;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Message box: returns the number of the chosen button (1 = first).
  virtual int Message(const std::string& message, const std::string& buttons = "OK", int defaultButton = 1) = 0;

  // Input form. `captions` are "|"-joined; `fieldLength` below 100 is the
  // maximum of every field and the fields start empty; 100 or more means the
  // fields are prefilled from `fields` with a common maximum fieldLength-100.
  // On return `fields` holds one entry per field with its final text.
  virtual int Form(const std::string& message, const std::string& captions, int defaultButton,
                   const std::string& buttons, int fieldLength, std::vector<FormField>& fields) = 0;

  // A list of choices of which one is marked; returns the button number and
  // leaves the marked choice in `selected` (from 0).
  virtual int ChooseFromList(const std::string& prompt, const std::vector<std::string>& choices,
                             const std::string& buttons, int& selected) = 0;

  // Drop-down list at (x, y); entries beginning with "|" are headings.
  // Returns the index chosen, or -1.
  virtual int PopupList(int x, int y, int width, const std::vector<std::string>& entries) = 0;

  // File and folder browser: folder and file name in and out; true when a
  // choice was made.
  virtual bool BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) = 0;

  // Progress window. Between updates the caller polls ProgressStop(), which
  // answers true when the space bar was typed or the program is quitting.
  virtual void ProgressOpen() = 0;
  virtual void ProgressUpdate(const std::string& title, const std::string& line2, double value, double maximum) = 0;
  virtual void ProgressClose() = 0;
  virtual bool ProgressStop() = 0;

  // A notice in an operating-system style box with a title (start-up
  // failures, allocation failures).
  virtual void SystemMessage(const std::string& title, const std::string& text) = 0;
};

// Dialogs that show nothing and answer every question with its default
// button: for work done where nobody can be asked (a context without a
// window or terminal, benchmarks, build-time tools).
class DefaultAnswerDialogs : public Dialogs {
 public:
  int Message(const std::string&, const std::string&, int defaultButton) override { return defaultButton; }
  int Form(const std::string&, const std::string&, int defaultButton, const std::string&, int,
           std::vector<FormField>&) override {
    return defaultButton;
  }
  int ChooseFromList(const std::string&, const std::vector<std::string>&, const std::string&, int&) override {
    return 1;
  }
  int PopupList(int, int, int, const std::vector<std::string>&) override { return -1; }
  bool BrowseFiles(const std::string&, std::string&, std::string&) override { return false; }
  void ProgressOpen() override {}
  void ProgressUpdate(const std::string&, const std::string&, double, double) override {}
  void ProgressClose() override {}
  bool ProgressStop() override { return false; }
  void SystemMessage(const std::string&, const std::string&) override {}
};

// Percent shown by a progress update: min(100, floor(100 * value / max(1, maximum))).
int ProgressPercent(double value, double maximum);

}  // namespace pantrela
