// Recipe search: the query of "+", "-" and "/" terms, matching field texts
// with A-Z folding, and the search over the recipe file that flags its hits
// and makes "Search Results" current.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela {

class Collection;
class Dialogs;

struct QueryTerm {
  char kind;         // '+' must appear, '-' must not, '/' one of them must
  std::string text;  // upper case
};

inline constexpr size_t kMaxQueryTerms = 100;
inline constexpr size_t kMaxSearchText = 190;

// Parses a search text: trimmed and upper-cased (A-Z only); words of A-Z,
// 0-9, apostrophe and bytes 128-173, or phrases in double quotes; the
// character before a word or an opening quote gives its kind.
std::vector<QueryTerm> ParseQuery(std::string_view text);

// True when every term is satisfied in the field text (a-z compared as A-Z).
bool MatchField(std::string_view field, const std::vector<QueryTerm>& terms);

// The values of the search form.
struct SearchRequest {
  std::string text;
  int64_t scope = 1;  // chapter key; 1 = all chapters
  bool titles = true;
  bool ingredients = false;
  bool directions = false;
};

// The form's validation: "" when the request may run, else the message.
std::string SearchRequestError(const SearchRequest& request);
// Validates; a fault is shown through the dialogs ("OK") and false returned.
bool ConfirmSearchRequest(Dialogs& dialogs, const SearchRequest& request);

// The chapter choices of the form's scope list: "All Recipes" (key 1) and
// every user chapter, in chapter-list order.
std::vector<std::pair<std::string, int64_t>> SearchScopeChoices(const Collection& collection);

// Runs the search: clears every hit flag, flags the matching recipes and
// information texts, saves the index, makes "Search Results" current and
// rebuilds the recipe list. Returns the number of matches.
int RunSearch(Collection& collection, const SearchRequest& request);

}  // namespace pantrela
