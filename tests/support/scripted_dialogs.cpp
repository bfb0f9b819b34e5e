#include "support/scripted_dialogs.h"

namespace pantrela::testing {

int ScriptedDialogs::Message(const std::string& message, const std::string& buttonList, int defaultButton) {
  shown.push_back({"message", message, buttonList, {}});
  if (buttons.empty()) return defaultButton;
  int b = buttons.front();
  buttons.pop_front();
  return b;
}

int ScriptedDialogs::Form(const std::string& message, const std::string& captions, int defaultButton,
                          const std::string& buttonList, int fieldLength, std::vector<FormField>& fields) {
  Shown s{"form", message, captions, {}};
  for (const auto& f : fields) s.items.push_back(f.text);
  shown.push_back(s);
  if (!formAnswers.empty()) {
    const auto& answers = formAnswers.front();
    if (fields.size() < answers.size()) fields.resize(answers.size());
    for (size_t i = 0; i < answers.size(); ++i) fields[i].text = answers[i];
    formAnswers.pop_front();
  }
  if (buttons.empty()) return defaultButton;
  int b = buttons.front();
  buttons.pop_front();
  return b;
}

int ScriptedDialogs::ChooseFromList(const std::string& prompt, const std::vector<std::string>& list,
                                    const std::string& buttonList, int& selected) {
  shown.push_back({"choose", prompt, buttonList, list});
  if (!choices.empty()) {
    selected = choices.front();
    choices.pop_front();
  }
  if (buttons.empty()) return 1;
  int b = buttons.front();
  buttons.pop_front();
  return b;
}

int ScriptedDialogs::PopupList(int, int, int, const std::vector<std::string>& entries) {
  shown.push_back({"popuplist", "", "", entries});
  if (choices.empty()) return -1;
  int c = choices.front();
  choices.pop_front();
  return c;
}

bool ScriptedDialogs::BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) {
  shown.push_back({"browse", title, "", {folder, fileName}});
  if (browse.empty()) return false;
  folder = browse.front().first;
  fileName = browse.front().second;
  browse.pop_front();
  return true;
}

void ScriptedDialogs::ProgressUpdate(const std::string& title, const std::string& line2, double value,
                                     double maximum) {
  progressLines.push_back(title + "|" + line2 + "|" + std::to_string(ProgressPercent(value, maximum)));
}

bool ScriptedDialogs::ProgressStop() {
  ++polls;
  return stopAfterPolls >= 0 && polls > stopAfterPolls;
}

void ScriptedDialogs::SystemMessage(const std::string& title, const std::string& text) {
  shown.push_back({"system", text, title, {}});
}

std::vector<std::string> ScriptedDialogs::Messages() const {
  std::vector<std::string> out;
  for (const auto& s : shown)
    if (s.kind == "message" || s.kind == "form" || s.kind == "system") out.push_back(s.text);
  return out;
}

}  // namespace pantrela::testing
