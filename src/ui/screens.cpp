#include "ui/screens.h"
#include "ui/grocery_screen.h"
#include "ui/recipe_view.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "foundation/file.h"
#include "foundation/shell.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace pantrela::ui {

using namespace widgets;

namespace {

constexpr uint32_t kTabActive = Rgb(255, 214, 120);
constexpr uint32_t kTabIdle = Rgb(196, 212, 222);

const char* const kTabCaptions[6] = {"Index", "Recipe", "Grocery", "Meals", "Options", "About"};

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return out;
}

std::vector<std::string> HandOverFileNames(const std::string& text) {
  std::string list;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 3, "\" \"") == 0) {
      list.push_back('\0');
      i += 2;
    } else if (text[i] != '"') {
      list.push_back(text[i]);
    }
  }
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t z = list.find('\0', start);
    std::string name = list.substr(start, z == std::string::npos ? std::string::npos : z - start);
    if (!name.empty()) out.push_back(name);
    if (z == std::string::npos) break;
    start = z + 1;
  }
  return out;
}

std::string HandOverText(const std::vector<std::string>& files) {
  if (files.empty()) return {};
  if (files.size() == 1) return files[0].find(' ') == std::string::npos ? files[0] : "\"" + files[0] + "\"";
  std::string out;
  for (const auto& f : files) {
    if (!out.empty()) out += ' ';
    out += "\"" + f + "\"";
  }
  return out;
}

// ---------------------------------------------------------------- Screens

Screens::Screens(AppContext& context, Collection& coll)
    : ctx(context), collection(coll), gui(context), dialogs(gui), vendor(VendorAddressesFromEnvironment()),
      calendar(context), index(*this) {
  collection.SetMealPlanSource(&calendar);
  openAddress = [this](const std::string& address) { OpenWebAddress(ctx, address); };
  openMail = [this](const std::string& to, const std::string& subject) {
    std::string mailer = platform::FindExecutable("xdg-email");
    if (mailer.empty()) return false;
    return platform::StartDetached(mailer, {"--subject", subject, to}) == 0;
  };
}

Screens::~Screens() { collection.SetMealPlanSource(nullptr); }

int Screens::StartScreenTimer() {
  // The id is the tick count, kept clear of the fixed timer ids.
  int id = int(SDL_GetTicks() % 1000000000u) + 1000;
  gui.window.SetTimer(id, 300);
  return id;
}

void Screens::AddTitleArea(int& n) {
  const int W = gui.Width();
  // The bar is painted as decoration; the top bar control itself draws
  // nothing, so pointing at it never paints over the tabs.
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = W, .y2 = kTabBarHeight,
                     .background = kTopBarColour});
  gui.AddControl(n, {.id = kIdTopBar, .x1 = 0, .y1 = 0, .x2 = W, .y2 = kTabBarHeight});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindBitmap, .x1 = 6, .y1 = -3, .x2 = 6 + 48, .y2 = kTabBarHeight,
                     .background = kWhite, .caption = "GINGERBREAD_48"});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindBitmap, .x1 = 60, .y1 = 2, .x2 = 60 + 150, .y2 = 2 + 40,
                     .background = kWhite, .caption = "TITLE_LARGE"});
}

void Screens::AddTabBar(int& n) {
  AddTitleArea(n);
  int x = 222;
  for (int i = 0; i < 6; ++i) {
    int w = std::max(92, gui.canvas.TextWidth(gui.fonts[kFontTab], kTabCaptions[i]) + 30);
    gui.AddControl(n, {.id = 3 + i, .kind = kKindTab, .x1 = x, .y1 = 9, .x2 = x + w, .y2 = kTabBarHeight,
                       .foreground = kTabActive, .background = kTabIdle, .font = kFontTab, .caption = kTabCaptions[i]});
    x += w + 4;
  }
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = x + 14, .y1 = 14, .x2 = x + 200, .y2 = 36,
                     .foreground = kWhite, .font = kFontSmall, .caption = std::string("Version ") + kVersionText});
}

void Screens::RunLoop() {
  ctx.screen = kScreenRecipes;
  while (!ctx.Quitting()) {
    switch (ctx.screen) {
      case kScreenRecipes:
        index.Run();
        break;
      case kScreenRecipe: {
        RecipeView view(*this);
        recipeView = &view;
        view.Run();
        recipeView = nullptr;
        break;
      }
      case kScreenGrocery:
        GroceryScreen(*this).Run();
        break;
      case kScreenMeals:
      case kScreenOptions:
        RunPlaceholder();
        break;
      default:
        RunAbout();
        break;
    }
  }
}

void Screens::OnDrop(const SDL_Event& e) {
  if (e.type == SDL_DROPFILE || e.type == SDL_DROPTEXT) {
    if (e.drop.file) {
      // File names stay the bytes the file system knows them by.
      dropped_.push_back(e.drop.file);
      SDL_free(e.drop.file);
    }
    return;
  }
  if (e.type == SDL_DROPCOMPLETE && !dropped_.empty()) {
    // The same path as a second copy: the recipe screen picks it up.
    std::string text = HandOverText(dropped_);
    dropped_.clear();
    if (!WriteFileAtomic(ctx.files.handOver, text)) ReportWriteFailure(ctx, ctx.files.handOver, errno);
    if (!ctx.Busy() && !ctx.popupUp) ctx.screen = kScreenRecipes;
  }
}

// A screen without content so far: the tab bar and an empty page.
void Screens::RunPlaceholder() {
  const int me = ctx.screen;
  gui.window.redraw = true;
  int timer = StartScreenTimer();
  while (!ctx.Quitting() && ctx.screen == me) {
    gui.WaitEvent(true);
    if (ctx.Quitting() || ctx.screen != me) break;
    if (gui.window.redraw) {
      gui.window.redraw = false;
      int n = 0;
      gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = gui.Width(),
                         .y2 = gui.Height(), .background = kPage});
      AddTabBar(n);
      gui.AddControl(n, {.id = kIdEnd});
      gui.DrawAllControls();
      gui.ShowAll();
    }
  }
  gui.window.KillTimer(timer);
}

// ---------------------------------------------------------------- About

void Screens::RunAbout() {
  const int me = ctx.screen;
  enum { kWeb = 200, kMail, kHelp, kUpgrade, kNews };
  gui.window.redraw = true;
  int timer = StartScreenTimer();
  auto layout = [&] {
    int n = 0;
    const int W = gui.Width(), H = gui.Height();
    gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = W, .y2 = H,
                       .background = kPage});
    AddTabBar(n);
    const int left = std::max(40, W / 2 - 300), top = 80;
    gui.AddControl(n, {.id = kIdDecoration, .kind = kKindBitmap, .x1 = left, .y1 = top, .x2 = left + 48, .y2 = top + 48,
                       .background = kWhite, .caption = "GINGERBREAD_48"});
    gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left + 70, .y1 = top, .x2 = W, .y2 = top + 34,
                       .foreground = kBlack, .font = kFontHeading28,
                       .caption = std::string(kProgramName) + "  Version " + kVersionText});
    gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left + 70, .y1 = top + 34, .x2 = W, .y2 = top + 56,
                       .foreground = kBlack, .font = kFontScreen, .caption = std::string("Released ") + kReleaseDate});
    struct Row {
      int id;
      const char* caption;
      std::string text;
    } rows[] = {{kWeb, "Web Page", " - " + vendor.home},
                {kMail, "Email Us", " - " + vendor.support},
                {kHelp, "Help", " - Online user guide"},
                {kUpgrade, "Upgrade", " - Check for updates"},
                {kNews, "Newsletter", " - Subscribe to our newsletter"}};
    int y = top + 90;
    for (const auto& r : rows) {
      gui.AddControl(n, {.id = r.id, .kind = kKindButton, .x1 = left, .y1 = y, .x2 = left + 150, .y2 = y + 34,
                         .foreground = kBlack, .background = kButtonFace, .font = kFontButton, .caption = r.caption});
      gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left + 165, .y1 = y + 6, .x2 = W - 10,
                         .y2 = y + 30, .foreground = kBlack, .font = kFontScreen, .caption = r.text});
      y += 50;
    }
    gui.AddControl(n, {.id = kIdEnd});
  };
  while (!ctx.Quitting() && ctx.screen == me) {
    int id = gui.WaitEvent(true);
    if (ctx.Quitting() || ctx.screen != me) break;
    if (gui.window.redraw) {
      gui.window.redraw = false;
      layout();
      gui.DrawAllControls();
      gui.ShowAll();
      continue;
    }
    switch (id) {
      case kWeb: openAddress(vendor.home); break;
      case kMail:
        if (!openMail("mailto:" + vendor.support, std::string(kProgramName) + " " + kVersionText))
          dialogs.Message("Unable to open email program?");
        break;
      case kHelp: openAddress(vendor.guide); break;
      case kUpgrade: openAddress(vendor.upgrade); break;
      case kNews: openAddress(vendor.newsletter); break;
      default: continue;
    }
    gui.window.redraw = true;
  }
  gui.window.KillTimer(timer);
}

// ---------------------------------------------------------------- Program

Program::Program(AppContext& context) : ctx(context), collection(context) {}

Program::~Program() = default;

bool Program::OpenWindow() {
  screens = std::make_unique<Screens>(ctx, collection);
  Screens& s = *screens;
  if (!s.gui.Open()) {
    ctx.Log("Unable to create window");
    // A box of the system when it can show one without our window, else
    // the dialogs of the start-up (the terminal).
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kProgramName, "Unable to create window", nullptr) != 0) {
      ctx.dialogs().SystemMessage(kProgramName, "Unable to create window");
    }
    screens.reset();
    return false;
  }
  ctx.SetDialogs(&s.dialogs);
  s.gui.window.onOther = [&s](const SDL_Event& e) { s.OnDrop(e); };
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  s.startTick = int64_t(SDL_GetTicks64()) + 1;
  // The first screen, empty until the lists are built.
  ctx.screen = kScreenRecipes;
  s.index.Layout();
  s.index.Paint();
  return true;
}

void Program::OpenDatabase() {
  BusyScope busy(ctx);
  OpenCollection(collection);
}

void Program::Run() {
  if (!screens) return;
  screens->RunLoop();
}

void Program::Close() {
  if (!screens) return;
  // Let a held button go before the window does; pending messages are dropped.
  for (int i = 0; i < 200 && SDL_GetMouseState(nullptr, nullptr) != 0; ++i) SDL_Delay(10);
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  if (&ctx.dialogs() == &screens->dialogs) ctx.SetDialogs(nullptr);
  screens.reset();
}

}  // namespace pantrela::ui
