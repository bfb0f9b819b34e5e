// A downloaded page is walked once, front to back, as a stream of tags, each
// paired with the (decoded) text that stands before it. Site parsers are
// small state machines called once per tag; the tag utilities here are what
// they share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pantrela {

struct AppContext;

// The values a site parser receives for one tag, by reference and in this
// order: its own state (0 at the start of a page), text it collects across
// calls, the text before this tag (case kept and lower case), the tag from
// "<" to ">" (case kept and lower case), the previous tag in lower case, and
// the title, servings and photo address it finds.
using PageParser = std::function<void(int32_t& state, std::string& accumulated, std::string& text,
                                      std::string& textLower, std::string& tag, std::string& tagLower,
                                      std::string& previousTagLower, std::string& title, int32_t& servings,
                                      std::string& photoAddress)>;

// Walks the page file and calls the parser for every tag (no parser, no
// calls). Text after the last tag is never delivered. The progress window
// shows "Importing Web Recipe"; the space bar sets `cancelled`.
void WalkPage(AppContext& ctx, const std::string& pageFile, const PageParser& parser, std::string& title,
              int32_t& servings, std::string& photoAddress, bool& cancelled);

// The walk itself: `visit` gets the raw text before each tag and the raw
// tag; `stop` (position, size) is asked before each tag and ends the walk
// when it answers true. Returns false when it was stopped.
bool WalkTags(AppContext& ctx, const std::string& file, const std::function<bool(size_t, size_t)>& stop,
              const std::function<void(std::string_view text, std::string_view tag)>& visit);
// The walk for the XML file readers: text and tag decoded as in WalkPage,
// the tag also in lower case; no progress window of its own.
bool WalkXmlFile(AppContext& ctx, const std::string& file, const std::function<bool(size_t, size_t)>& stop,
                 const std::function<void(std::string& text, std::string& tag, std::string& tagLower)>& visit);

// Tag utilities. Parsers pass the lower-cased tag and a lower-case value.
// HasAttr answers true when the attribute's value contains `value`; the closing
// tag is then "/" + the tag's name + ">" ("/div>"). A literal
// attribute=value match answers true with no closing tag.
bool HasAttr(const std::string& tag, const std::string& attribute, const std::string& value, std::string& closingTag);
// The quoted value after `name` (which includes its "=", as in "content="),
// in the tag's own case; "" when absent or unquoted.
std::string AttrValue(const std::string& tag, const std::string& name);
// Removes a leading step number such as "2." ("2. Stir well" -> "Stir well").
void StripStepNumber(std::string& text);

// Turns a page into plain text lines for a manual import: writes
// "manual.txt" in the data folder from the body's text, outside scripts and
// styles, breaking lines at headings, list items, paragraphs and line
// breaks. Returns false when the user stopped it (then `cancelled` is set).
bool PageToText(AppContext& ctx, const std::string& pageFile, bool& cancelled);

// ASCII lower case (the comparisons of the parsers are on ASCII markers).
std::string AsciiLower(std::string text);

}  // namespace pantrela
