// The modal pieces, drawn by the program over a frozen image of the screen:
// the message box and input form (Popup), the choice list, the drop-down
// list and the progress window. Each runs inside a ModalLoop, which puts the
// control table and the screen aside and back, builds its own controls and
// takes its events from the loop. WindowDialogs offers them as the Dialogs
// interface that logic code talks to.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "foundation/dialogs.h"
#include "widgets/gui.h"
#include "widgets/modal_loop.h"

namespace pantrela::widgets {

// Ids of dialog controls.
inline constexpr int kIdButtonBase = 5000;  // 5000 + i: the i-th button
inline constexpr int kIdFieldBase = 6000;   // 6000 + i: the i-th field
inline constexpr int kIdScrollUp = 500;     // drop-down list scroll bar: arrow up, thumb, arrow down
inline constexpr int kIdScrollThumb = 501;
inline constexpr int kIdScrollDown = 502;
inline constexpr int kIdDropList = 600;
inline constexpr int kIdChoiceList = 700;

// One entry of the field record: the form's field i reads its settings from
// entry i when prefilled, and every form leaves its texts there.
struct FieldEntry {
  int index = 0;               // after a form: the field's index; -1 after the last field
  uint32_t textColour = kBlack;
  uint32_t backColour = kWhite;
  int maxChars = 0;            // 0 = the form's common maximum
  std::string text;            // at most 219 characters
};
inline constexpr int kFieldRecordEntries = 20;  // so a form has at most 19 fields
using FieldRecord = std::array<FieldEntry, kFieldRecordEntries>;

// Largest choice list: 31 choices of 255 characters.
inline constexpr int kMaxChoices = 31;
inline constexpr int kMaxChoiceText = 255;
// Drop-down entries hold at most 81 characters.
inline constexpr int kMaxDropText = 81;

class WindowDialogs : public Dialogs {
 public:
  explicit WindowDialogs(Gui& gui) : gui_(gui) {}

  // The field record the forms use (prefill before a Popup with L >= 100).
  FieldRecord fieldRecord;
  // The drop-down list record PopupList shows (prepared by the caller).
  std::vector<std::string> dropList;
  bool dropListPrepared = false;

  // Message box (no captions, field length 0) or input form. `result` gets
  // the number of the button chosen, and is left as it was when the program
  // is quitting. Returns `result`.
  int Popup(const std::string& message, const std::string& captions, int defaultButton,
            const std::string& buttons, int fieldLength, int& result);
  // Choice list: `button` and `selected` (from 0) in and out.
  void ChooseList(const std::string& prompt, const std::vector<std::string>& choices, const std::string& buttons,
                  int& button, int& selected);
  // Drop-down list of `dropList` at (x, y): the index chosen, or -1.
  int ShowDropList(int x, int y, int width);

  // Dialogs
  int Message(const std::string& message, const std::string& buttons = "OK", int defaultButton = 1) override;
  int Form(const std::string& message, const std::string& captions, int defaultButton, const std::string& buttons,
           int fieldLength, std::vector<FormField>& fields) override;
  int ChooseFromList(const std::string& prompt, const std::vector<std::string>& choices,
                     const std::string& buttons, int& selected) override;
  int PopupList(int x, int y, int width, const std::vector<std::string>& entries) override;
  // The file and folder browser (widgets/file_browser.h).
  bool BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) override;
  void ProgressOpen() override;
  // Paints every update it gets: a ProgressScope (foundation/progress.h)
  // decides which steps are worth showing.
  void ProgressUpdate(const std::string& title, const std::string& line2, double value, double maximum) override;
  void ProgressClose() override;
  // Takes one waiting message; true when it was the space bar or the
  // program is quitting.
  bool ProgressStop() override;
  void SystemMessage(const std::string& title, const std::string& text) override;

  // How often the progress window was painted (tests).
  int progressPaints = 0;

 private:
  Gui& gui_;
  struct Progress {
    bool open = false;
    std::optional<ModalLoop> loop;
    int barX = 0, barY = 0;
    int fillIndex = -1, titleIndex = -1, lineIndex = -1, firstPainted = 0;
  } progress_;
};

}  // namespace pantrela::widgets
