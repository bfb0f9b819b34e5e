// The one place where the layers above the foundation join the start-up
// and shut-down. Each layer adds its steps here, guarded by its own
// PANTRELA_HAVE_<LAYER> definition (set in this folder's CMakeLists.txt when
// the layer's library is built), keeps its objects in app.layerObjects or in
// Application members, and never reaches back into the fixed steps.
//
// Where the steps go (see Stage in app_startup.h):
//   Display   window layer: work area from the display into ctx.workArea
//   Window    window layer: window, fonts, bitmaps, first screen (program only)
//   Upgrade   database, grocery and calendar: takeover and upgrades
//   Database  database: load and verify the master index, chapter and recipe
//             lists (the window's own collection, else one for the run, in
//             app.collection); calendar: the upgrade of "event40.dat" (it
//             matches titles against the master index, so it runs here
//             rather than with the other upgrades) and the meal file
//   Ready     web: clipboard listener (program only)
//   Stopping  web: remove the clipboard listener
//   Stopped   free the layers' buffers; export: empty the scratch folder
//             of mail attachments (also emptied at the Database stage)
#include "app/app_startup.h"

#ifdef PANTRELA_HAVE_DATABASE
#include "database/collection.h"
#endif
#ifdef PANTRELA_HAVE_CALENDAR
#include "calendar/events.h"
#endif
#ifdef PANTRELA_HAVE_UI
#include "ui/screens.h"
#endif
#ifdef PANTRELA_HAVE_EXPORT
#include "export/destinations.h"
#endif
#ifdef PANTRELA_HAVE_UPDATES
#include "updates/news.h"
#endif
#ifdef PANTRELA_HAVE_GROCERY
#include "grocery/grocery.h"
#endif

namespace pantrela {

void AddLayerSteps(Application& app) {
#ifdef PANTRELA_HAVE_GROCERY
  // The previous generation's grocery file becomes the current one when
  // only the old file is there (before the seeds are copied).
  app.AddStep(Stage::Upgrade, "Grocery upgrade", [](Application& a) {
    grocery::UpgradeGroceryFile(a.ctx);
    return true;
  });
#endif
#ifdef PANTRELA_HAVE_EXPORT
  // Attachments handed to the mail program in the last run are no longer
  // needed; those of this run go at shut-down. (Only one copy of the program
  // or the companion runs on a data folder at a time.)
  app.AddStep(Stage::Database, "Export scratch folder", [](Application& a) {
    EmptyExportScratch(a.ctx.files);
    return true;
  });
  app.AddStep(Stage::Stopped, "Export scratch folder", [](Application& a) {
    EmptyExportScratch(a.ctx.files);
    return true;
  });
#endif
#ifdef PANTRELA_HAVE_UI
  if (app.options.withWindow) {
    // The window layer: window and first screen, the recipe database with
    // its lists, the screen loop, and letting the window go at the end.
    auto program = std::make_shared<ui::Program>(app.ctx);
    app.layerObjects.push_back(program);
    ui::Program* p = program.get();
    app.AddStep(Stage::Window, "Window", [p](Application&) { return p->OpenWindow(); });
#ifdef PANTRELA_HAVE_UPDATES
    // The update thread starts once the window is there; after every event
    // the screens look for a newer version and the news note, and F12 shows
    // the note again.
    auto updates = std::make_shared<Updates>(app.ctx);
    app.layerObjects.push_back(updates);
    app.AddStep(Stage::Window, "Update thread", [p, u = updates.get()](Application&) {
      u->StartThread(VendorHostFromEnvironment());
      widgets::Gui& gui = p->screens->gui;
      gui.updateChecks = [u, &gui] {
        const platform::InputState& in = gui.Input();
        u->AfterEvent(in.keyDown && in.virtualKey == platform::kVkF12);
      };
      return true;
    });
#endif
    app.AddStep(Stage::Database, "Master index", [p](Application& a) {
      p->OpenDatabase();
      a.collection = &p->collection;
      return true;
    });
#ifdef PANTRELA_HAVE_CALENDAR
    // The meal calendar after the master index, whose titles an upgrade of
    // the previous generation's meal file is matched against.
    app.AddStep(Stage::Database, "Meal calendar", [p](Application&) {
      if (p->screens) OpenMealCalendar(p->screens->calendar, p->collection);
      return true;
    });
#endif
    app.AddStep(Stage::Stopped, "Window closed", [p](Application&) {
      p->Close();
      return true;
    });
    app.screenLoop = [p](Application&) { p->Run(); };
    return;
  }
#endif
#ifdef PANTRELA_HAVE_DATABASE
  // Without a window (pantrela-cli) the start-up loads and verifies the
  // master index and builds the lists all the same, before any command runs.
  auto collection = std::make_shared<Collection>(app.ctx);
  app.layerObjects.push_back(collection);
  Collection* c = collection.get();
  app.AddStep(Stage::Database, "Master index", [c](Application& a) {
    OpenCollection(*c);
    a.collection = c;
    return true;
  });
#ifdef PANTRELA_HAVE_CALENDAR
  auto calendar = std::make_shared<MealCalendar>(app.ctx);
  app.layerObjects.push_back(calendar);
  app.AddStep(Stage::Database, "Meal calendar", [c, m = calendar.get()](Application&) {
    OpenMealCalendar(*m, *c);
    return true;
  });
#endif
#endif
  (void)app;
}

}  // namespace pantrela
