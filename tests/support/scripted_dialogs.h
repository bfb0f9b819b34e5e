// Dialogs for tests: answers come from a queue, and every text shown is
// recorded byte for byte so a test can assert the exact message.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "foundation/dialogs.h"

namespace pantrela::testing {

struct Shown {
  std::string kind;     // "message", "form", "choose", "popuplist", "browse", "system", "progress"
  std::string text;     // message / prompt / title
  std::string buttons;  // button list or captions
  std::vector<std::string> items;  // choices, entries or field texts shown
};

class ScriptedDialogs : public Dialogs {
 public:
  // Queued answers, consumed in order. When a queue is empty the default
  // button (messages, forms) or -1 / false is answered.
  std::deque<int> buttons;                           // Message, Form, ChooseFromList
  std::deque<std::vector<std::string>> formAnswers;  // field texts for Form
  std::deque<int> choices;                           // ChooseFromList selection, PopupList index
  std::deque<std::pair<std::string, std::string>> browse;  // folder, file for BrowseFiles
  int stopAfterPolls = -1;  // ProgressStop answers true after this many polls (-1 never)

  std::vector<Shown> shown;
  std::vector<std::string> progressLines;  // "title|line2|percent" of every update

  int Message(const std::string& message, const std::string& buttonList, int defaultButton) override;
  int Form(const std::string& message, const std::string& captions, int defaultButton, const std::string& buttonList,
           int fieldLength, std::vector<FormField>& fields) override;
  int ChooseFromList(const std::string& prompt, const std::vector<std::string>& list, const std::string& buttonList,
                     int& selected) override;
  int PopupList(int x, int y, int width, const std::vector<std::string>& entries) override;
  bool BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) override;
  void ProgressOpen() override { progressOpen = true; }
  void ProgressUpdate(const std::string& title, const std::string& line2, double value, double maximum) override;
  void ProgressClose() override { progressOpen = false; }
  bool ProgressStop() override;
  void SystemMessage(const std::string& title, const std::string& text) override;

  // Texts of every message shown, in order.
  std::vector<std::string> Messages() const;
  bool progressOpen = false;
  int polls = 0;
};

}  // namespace pantrela::testing
