// Dialogs for pantrela-cli: every text the program would show goes to
// standard error as the program's own text ("|" becomes a line break),
// questions take their default button (the first with --yes), and progress
// is a one-line bar when standard error is a terminal.
#pragma once

#include <cstdio>

#include "foundation/context.h"
#include "foundation/dialogs.h"

namespace pantrela {

class TerminalDialogs : public Dialogs {
 public:
  TerminalDialogs(const AppContext& ctx, bool yes, std::FILE* out = stderr);

  int Message(const std::string& message, const std::string& buttons, int defaultButton) override;
  int Form(const std::string& message, const std::string& captions, int defaultButton, const std::string& buttons,
           int fieldLength, std::vector<FormField>& fields) override;
  int ChooseFromList(const std::string& prompt, const std::vector<std::string>& choices, const std::string& buttons,
                     int& selected) override;
  int PopupList(int x, int y, int width, const std::vector<std::string>& entries) override;
  bool BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) override;
  void ProgressOpen() override;
  void ProgressUpdate(const std::string& title, const std::string& line2, double value, double maximum) override;
  void ProgressClose() override;
  bool ProgressStop() override;
  void SystemMessage(const std::string& title, const std::string& text) override;

  // A "|"-joined text as terminal lines (UTF-8, "|" as a line break).
  static std::string Lines(const std::string& text);

 private:
  int Answer(const std::string& buttons, int defaultButton);
  void EndBar();

  const AppContext& ctx_;
  bool yes_;
  std::FILE* out_;
  bool terminal_;
  bool barShown_ = false;
};

}  // namespace pantrela
