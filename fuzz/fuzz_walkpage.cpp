// fuzz-deps: pantrela_web pantrela_foundation
// The page walker, the tag utilities and the page-to-text writer on arbitrary
// pages.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/context.h"
#include "foundation/file.h"
#include "web/html_text.h"

namespace {

std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzz_walkpage.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pantrela;
  AppContext ctx;
  ctx.SetFolders(Folder(), Folder());
  const std::string page = Folder() + "page.htm";
  {
    File f = File::Open('o', page);
    if (f.Write(data, int64_t(size)) != int64_t(size)) return 0;
  }
  std::string title, photo;
  int32_t servings = 0;
  bool cancelled = false;
  PageParser parser = [](int32_t& state, std::string& acc, std::string& text, std::string&, std::string& tag,
                         std::string& tagLower, std::string&, std::string& t, int32_t&, std::string& photoAddress) {
    std::string closing;
    if (HasAttr(tagLower, "class", "ingredient", closing)) ++state;
    photoAddress = AttrValue(tag, "src=");
    StripStepNumber(text);
    if (acc.size() < 4096) acc += text;
    t = text;
  };
  WalkPage(ctx, page, parser, title, servings, photo, cancelled);
  PageToText(ctx, page, cancelled);
  return 0;
}
