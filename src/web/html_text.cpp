#include "web/html_text.h"

#include <algorithm>
#include <cstring>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/progress.h"
#include "web/entities.h"

namespace pantrela {
namespace {

constexpr size_t kWindow = 128;

std::string Trim(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == ' ') ++a;
  while (b > a && s[b - 1] == ' ') --b;
  return std::string(s.substr(a, b - a));
}

bool Contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

}  // namespace

// The read window starts at 128 bytes and grows by 128 while the next tag
// does not fit, so tags of any length are found. Bytes already searched are
// not searched again, which keeps a huge page without tags linear.

bool WalkTags(AppContext& ctx, const std::string& pageFile, const std::function<bool(size_t, size_t)>& stop,
              const std::function<void(std::string_view text, std::string_view tag)>& visit) {
  std::string page;
  if (!ReadWholeFile(pageFile, page)) return true;
  const size_t size = page.size();
  const char* base = page.data();
  size_t pos = 0, window = kWindow;
  size_t lt = std::string::npos;  // the "<" found from pos, if any
  size_t searched = 0;            // bytes from pos on that were searched already
  bool stopped = false;
  while (pos < size && !ctx.Quitting()) {
    if (window == kWindow) {
      if (stop(pos, size)) {
        stopped = true;
        break;
      }
      searched = pos;
      lt = std::string::npos;
    }
    const size_t end = std::min(size, pos + window);
    size_t gt = std::string::npos;
    if (lt == std::string::npos) {
      const void* p = std::memchr(base + searched, '<', end - searched);
      if (p) {
        lt = size_t(static_cast<const char*>(p) - base);
        searched = lt + 1;
      } else {
        searched = end;
      }
    }
    if (lt != std::string::npos) {
      const void* q = std::memchr(base + searched, '>', end - searched);
      if (q) gt = size_t(static_cast<const char*>(q) - base);
      else searched = end;
    }
    if (gt != std::string::npos) {
      visit(std::string_view(base + pos, lt - pos), std::string_view(base + lt, gt - lt + 1));
      pos = gt + 1;
      window = kWindow;
      continue;
    }
    if (end - pos < kWindow || end == size) break;
    window += kWindow;
  }
  return !stopped;
}

namespace {

// WalkTags with the progress window of a page walk under `caption`.
bool WalkTagsWithProgress(AppContext& ctx, const std::string& pageFile, const char* caption,
                          const std::function<void(std::string_view text, std::string_view tag)>& visit) {
  ProgressScope progress(ctx);
  return WalkTags(
      ctx, pageFile,
      [&](size_t pos, size_t size) {
        progress.Update(caption, "", double(pos), double(size));
        return progress.Stop();
      },
      visit);
}

}  // namespace

bool WalkXmlFile(AppContext& ctx, const std::string& file, const std::function<bool(size_t, size_t)>& stop,
                 const std::function<void(std::string& text, std::string& tag, std::string& tagLower)>& visit) {
  return WalkTags(ctx, file, stop, [&](std::string_view rawText, std::string_view rawTag) {
    std::string text(rawText), tag(rawTag);
    DecodeEntities(text);
    DecodeEntities(tag);
    std::string tagLower = AsciiLower(tag);
    visit(text, tag, tagLower);
  });
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return text;
}

void WalkPage(AppContext& ctx, const std::string& pageFile, const PageParser& parser, std::string& title,
              int32_t& servings, std::string& photoAddress, bool& cancelled) {
  int32_t state = 0;
  std::string accumulated, previousTag;
  title.clear();
  photoAddress.clear();
  servings = 0;
  cancelled = false;
  bool finished = WalkTagsWithProgress(ctx, pageFile, "Importing Web Recipe", [&](std::string_view rawText, std::string_view rawTag) {
    std::string text(rawText), tag(rawTag);
    DecodeEntities(text);
    DecodeEntities(tag);
    std::string textLower = AsciiLower(text), tagLower = AsciiLower(tag);
    if (parser)
      parser(state, accumulated, text, textLower, tag, tagLower, previousTag, title, servings, photoAddress);
    previousTag = std::move(tagLower);
  });
  if (!finished) cancelled = true;
}

bool HasAttr(const std::string& tag, const std::string& attribute, const std::string& value, std::string& closingTag) {
  closingTag.clear();
  if (Contains(tag, attribute + "=" + value)) return true;
  std::string attr = attribute;
  while (!attr.empty() && attr.back() == '=') attr.pop_back();
  attr += '=';
  size_t at = tag.find(attr);
  if (at == std::string::npos) return false;
  size_t from = at + attr.size();
  size_t q1 = tag.find('"', from);
  size_t q2 = q1 == std::string::npos ? std::string::npos : tag.find('"', q1 + 1);
  if (q2 == std::string::npos) {
    q1 = tag.find('\'', from);
    q2 = q1 == std::string::npos ? std::string::npos : tag.find('\'', q1 + 1);
    if (q2 == std::string::npos) return false;
  }
  if (!Contains(tag.substr(q1 + 1, q2 - q1 - 1), value)) return false;
  size_t nameStart = tag.empty() || tag[0] != '<' ? 0 : 1;
  size_t nameEnd = tag.find(' ', nameStart);
  if (nameEnd == std::string::npos) nameEnd = tag.find('>', nameStart);
  if (nameEnd == std::string::npos) nameEnd = tag.size();
  closingTag = "/" + Trim(std::string_view(tag).substr(nameStart, nameEnd - nameStart)) + ">";
  return true;
}

std::string AttrValue(const std::string& tag, const std::string& name) {
  std::string lower = AsciiLower(tag);
  size_t at = lower.find(AsciiLower(name));
  if (at == std::string::npos) return "";
  size_t open = at + name.size();
  if (open >= tag.size()) return "";
  const char quote = tag[open];
  if (quote != '"' && quote != '\'') return "";
  size_t close = tag.find(quote, open + 1);
  if (close != std::string::npos) return tag.substr(open + 1, close - open - 1);
  // No closing quote of the same kind: take the text between the first two
  // quotes of either kind before the next "=" or ">".
  size_t first = std::string::npos;
  for (size_t i = open; i < tag.size() && tag[i] != '=' && tag[i] != '>'; ++i) {
    if (tag[i] != '"' && tag[i] != '\'') continue;
    if (first == std::string::npos) first = i;
    else return tag.substr(first + 1, i - first - 1);
  }
  return "";
}

void StripStepNumber(std::string& text) {
  text = Trim(text);
  size_t space = text.find(' ');
  if (space == std::string::npos) return;
  std::string_view word(text.data(), space);
  if (word.find('.') == std::string_view::npos) return;
  if (!std::all_of(word.begin(), word.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); })) return;
  text = Trim(std::string_view(text).substr(space + 1));
}

bool PageToText(AppContext& ctx, const std::string& pageFile, bool& cancelled) {
  cancelled = false;
  File out = File::Open('o', ctx.files.dataFolder + "manual.txt");
  bool inBody = false, inScript = false, inStyle = false;
  std::string line;
  bool finished = WalkTagsWithProgress(ctx, pageFile, "Extracting Text...", [&](std::string_view rawText, std::string_view rawTag) {
    std::string text(rawText), tag(rawTag);
    DecodeEntities(text);
    DecodeEntities(tag);
    const std::string t = AsciiLower(tag);
    if (Contains(t, "<body")) inBody = true;
    else if (Contains(t, "/body")) inBody = false;
    else if (Contains(t, "<script")) inScript = true;
    else if (Contains(t, "/script>")) inScript = false;
    else if (Contains(t, "<style")) inStyle = true;
    else if (Contains(t, "/style>")) inStyle = false;
    else if (inBody && !inScript && !inStyle) {
      line = Trim(line + " " + Trim(text));
      if (line.empty()) return;
      if (Contains(t, "<h") || Contains(t, "/h") || Contains(t, "/ul>")) {
        out.WriteText(line + "\r\n", true);  // a heading is followed by an empty line
        line.clear();
      } else if (Contains(t, "<li") || Contains(t, "<ul") || Contains(t, "<br") || Contains(t, "<p>") ||
                 Contains(t, "<p ")) {
        out.WriteText(line, true);
        line.clear();
      }
    }
  });
  if (!finished) {
    cancelled = true;
    return false;
  }
  if (!line.empty()) out.WriteText(line, true);
  return true;
}

}  // namespace pantrela
