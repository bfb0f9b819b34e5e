// Shows the manual import screen over a text file with lines marked as
// title, yield, ingredients and directions and a selection, and grabs the
// screen with "import -window root" (run it under Xvfb).
// Usage: manual_shots DATA_FOLDER OUTPUT_PREFIX
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "ui/manual_import_screen.h"
#include "ui/screens.h"
#include "widgets/harness.h"

using namespace pantrela;
using namespace pantrela::widgets::testing;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: manual_shots DATA_FOLDER OUTPUT_PREFIX\n");
    return 2;
  }
  std::string data = argv[1];
  if (data.back() != '/') data += '/';
  const std::string prefix = argv[2];
  CreateFolders(data);
  AppContext ctx;
  ctx.SetFolders(data, data);
  ctx.settings.window_x = 0;
  ctx.settings.window_y = 0;
  ctx.settings.window_wide = 1400;
  ctx.settings.window_high = 900;
  ctx.settings.screen_font = "Arial";
  const std::string text = data + "shot.txt";
  WriteFileAtomic(text,
                  "From the kitchen of Aunt Rose\r\n\r\nSour Cream\r\nCoffee Cake\r\nMakes 12 servings\r\n\r\n"
                  "1/2 cup butter, softened\r\n1 cup sugar\r\n2 eggs\r\n1 cup sour cream\r\n"
                  "2 cups all-purpose flour\r\n1 teaspoon baking powder\r\n\r\nTopping:\r\n"
                  "1/2 cup brown sugar\r\n2 teaspoons cinnamon\r\n\r\n"
                  "Cream the butter and sugar, then beat in the eggs one at a time. Stir in the sour cream. "
                  "Fold in the flour and baking powder until just combined.\r\n\r\n"
                  "Spread half the batter in a greased tube pan, sprinkle with half the topping, and repeat. "
                  "Bake at 350 F for 45 minutes.\r\n\r\nEnjoy with friends!\r\n");
  ui::Program program(ctx);
  if (!program.OpenWindow()) return 1;
  program.OpenDatabase();
  ui::Screens& s = *program.screens;
  auto grab = [&](const std::string& name) {
    SDL_Delay(400);
    std::string cmd = "import -window root " + prefix + name + ".png";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "grab failed: %s\n", cmd.c_str());
  };
  auto key = [](SDL_Keycode k, Uint16 mod = KMOD_NONE, const char* t = nullptr) {
    return [=] { PushKey(k, mod, t); };
  };
  auto down = [&](std::deque<std::function<void()>>& st, int n, Uint16 mod) {
    for (int i = 0; i < n; ++i) st.push_back(key(SDLK_DOWN, mod));
  };
  // Lines: 2-3 the title, 4 the yield, 6-15 the ingredients, 17-20 the
  // directions; the last line stays selected, unmarked.
  std::deque<std::function<void()>> steps;
  down(steps, 2, KMOD_NONE);
  down(steps, 1, KMOD_LSHIFT);
  steps.push_back(key(SDLK_t, KMOD_NONE, "t"));
  down(steps, 1, KMOD_NONE);
  steps.push_back(key(SDLK_y, KMOD_NONE, "y"));
  down(steps, 2, KMOD_NONE);
  down(steps, 9, KMOD_LSHIFT);
  steps.push_back(key(SDLK_i, KMOD_NONE, "i"));
  down(steps, 2, KMOD_NONE);
  down(steps, 3, KMOD_LSHIFT);
  steps.push_back(key(SDLK_d, KMOD_NONE, "d"));
  down(steps, 2, KMOD_NONE);
  steps.push_back([&] { grab("manual"); });
  steps.push_back(key(SDLK_f, KMOD_NONE, "f"));
  steps.push_back(key(SDLK_ESCAPE));
  s.gui.idleHook = [&] {
    if (!RunNextStep(steps)) ctx.quit = 1;
  };
  ui::ManualImportScreen screen(s);
  CollectionImportTarget target(program.collection);
  const int saved = ManualImportTextFile(ctx, target, screen, text);
  std::printf("%d recipes saved\n", saved);
  program.Close();
  return 0;
}
