#include "app/terminal_dialogs.h"

#include <unistd.h>

#include <algorithm>

#include "foundation/codepage.h"
#include "foundation/text_list.h"

namespace pantrela {

namespace {

std::vector<std::string> Split(const std::string& list) { return SplitList(list, '|'); }

// CR LF and single CRs inside a text become line breaks.
std::string Newlines(std::string s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      out += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

TerminalDialogs::TerminalDialogs(const AppContext& ctx, bool yes, std::FILE* out)
    : ctx_(ctx), yes_(yes), out_(out), terminal_(::isatty(::fileno(out)) == 1) {}

std::string TerminalDialogs::Lines(const std::string& text) {
  std::string s = text;
  std::replace(s.begin(), s.end(), '|', '\n');
  return Cp1252ToUtf8(Newlines(s));
}

int TerminalDialogs::Answer(const std::string& buttons, int defaultButton) {
  std::vector<std::string> list = Split(buttons);
  int n = int(list.size());
  int chosen = yes_ ? 1 : std::clamp(defaultButton, 1, std::max(1, n));
  if (n > 1) {
    std::string shown;
    for (const auto& b : list) shown += (shown.empty() ? "" : "/") + b;
    std::fprintf(out_, "(%s): %s\n", Cp1252ToUtf8(shown).c_str(), Cp1252ToUtf8(list[size_t(chosen - 1)]).c_str());
  }
  return chosen;
}

void TerminalDialogs::EndBar() {
  if (barShown_) std::fputc('\n', out_);
  barShown_ = false;
}

int TerminalDialogs::Message(const std::string& message, const std::string& buttons, int defaultButton) {
  EndBar();
  std::fprintf(out_, "%s\n", Lines(message).c_str());
  int b = Answer(buttons, defaultButton);
  std::fflush(out_);
  return b;
}

int TerminalDialogs::Form(const std::string& message, const std::string& captions, int defaultButton,
                          const std::string& buttons, int fieldLength, std::vector<FormField>& fields) {
  EndBar();
  std::vector<std::string> caps = Split(captions);
  if (fieldLength < 100) fields.assign(caps.size(), FormField{});
  else if (fields.size() < caps.size()) fields.resize(caps.size());
  std::fprintf(out_, "%s\n", Lines(message).c_str());
  for (size_t i = 0; i < caps.size(); ++i)
    std::fprintf(out_, "  %s: %s\n", Cp1252ToUtf8(caps[i]).c_str(), Cp1252ToUtf8(fields[i].text).c_str());
  int b = Answer(buttons, defaultButton);
  std::fflush(out_);
  return b;
}

int TerminalDialogs::ChooseFromList(const std::string& prompt, const std::vector<std::string>& choices,
                                    const std::string& buttons, int& selected) {
  EndBar();
  std::fprintf(out_, "%s\n", Lines(prompt).c_str());
  for (size_t i = 0; i < choices.size(); ++i)
    std::fprintf(out_, "%c %s\n", int(i) == selected ? '*' : ' ', Cp1252ToUtf8(choices[i]).c_str());
  int b = Answer(buttons, 1);
  std::fflush(out_);
  return b;
}

int TerminalDialogs::PopupList(int, int, int, const std::vector<std::string>&) { return -1; }

bool TerminalDialogs::BrowseFiles(const std::string& title, std::string&, std::string&) {
  EndBar();
  std::fprintf(out_, "%s\n", Lines(title).c_str());
  return false;
}

void TerminalDialogs::ProgressOpen() { barShown_ = false; }

void TerminalDialogs::ProgressUpdate(const std::string& title, const std::string& line2, double value,
                                     double maximum) {
  if (!terminal_) return;
  int percent = ProgressPercent(value, maximum);
  const int width = 30;
  int filled = percent * width / 100;
  std::string bar = "[" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), ' ') + "]";
  std::string plain = title + (line2.empty() ? "" : " " + line2);
  if (plain.size() > 40) plain.resize(40);
  std::string text = Cp1252ToUtf8(plain);
  std::fprintf(out_, "\r%s %3d%% %-40s", bar.c_str(), percent, text.c_str());
  std::fflush(out_);
  barShown_ = true;
}

void TerminalDialogs::ProgressClose() { EndBar(); }

bool TerminalDialogs::ProgressStop() { return ctx_.Quitting(); }

void TerminalDialogs::SystemMessage(const std::string& title, const std::string& text) {
  EndBar();
  if (!title.empty()) std::fprintf(out_, "%s\n", Lines(title).c_str());
  std::fprintf(out_, "%s\n", Lines(text).c_str());
  std::fflush(out_);
}

}  // namespace pantrela
