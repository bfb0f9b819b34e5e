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
//             lists; calendar: meal file and sort index
//   Ready     web: clipboard listener (program only)
//   Stopping  web: remove the clipboard listener
//   Stopped   free the layers' buffers
#include "app/app_startup.h"

namespace pantrela {

void AddLayerSteps(Application& app) {
  (void)app;
}

}  // namespace pantrela
