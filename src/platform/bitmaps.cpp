// The program's bitmap resources, drawn with cairo on a white ground (white
// is the usual key colour that makes the ground transparent).
#include <pango/pangocairo.h>

#include <cmath>
#include <string>

#include "platform/canvas.h"

namespace pantrela::platform {
namespace {

void Rgb(cairo_t* cr, int r, int g, int b) { cairo_set_source_rgb(cr, r / 255.0, g / 255.0, b / 255.0); }

// A solid triangle pointing in one direction inside a square of side n.
void Arrow(cairo_t* cr, int n, char dir) {
  double m = n * 0.22, c = n / 2.0;
  switch (dir) {
    case 'U': cairo_move_to(cr, m, n - m - n * 0.1); cairo_line_to(cr, n - m, n - m - n * 0.1); cairo_line_to(cr, c, m); break;
    case 'D': cairo_move_to(cr, m, m + n * 0.1); cairo_line_to(cr, n - m, m + n * 0.1); cairo_line_to(cr, c, n - m); break;
    case 'L': cairo_move_to(cr, n - m - n * 0.1, m); cairo_line_to(cr, n - m - n * 0.1, n - m); cairo_line_to(cr, m, c); break;
    default: cairo_move_to(cr, m + n * 0.1, m); cairo_line_to(cr, m + n * 0.1, n - m); cairo_line_to(cr, n - m, c); break;
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void CheckMark(cairo_t* cr, int n) {
  Rgb(cr, 0, 110, 0);
  cairo_set_line_width(cr, n * 0.16);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, n * 0.2, n * 0.52);
  cairo_line_to(cr, n * 0.42, n * 0.76);
  cairo_line_to(cr, n * 0.82, n * 0.22);
  cairo_stroke(cr);
}

void MediumX(cairo_t* cr, int n) {
  Rgb(cr, 190, 30, 30);
  cairo_arc(cr, n / 2.0, n / 2.0, n / 2.0 - 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.98, 0.98, 0.98);
  cairo_set_line_width(cr, n * 0.13);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, n * 0.32, n * 0.32);
  cairo_line_to(cr, n * 0.68, n * 0.68);
  cairo_move_to(cr, n * 0.68, n * 0.32);
  cairo_line_to(cr, n * 0.32, n * 0.68);
  cairo_stroke(cr);
}

// A gingerbread figure: head, arms and legs as rounded strokes, icing dots.
void Gingerbread(cairo_t* cr, int n) {
  double s = n / 48.0;
  cairo_scale(cr, s, s);
  Rgb(cr, 178, 102, 40);
  cairo_arc(cr, 24, 11, 8.5, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 9);
  cairo_move_to(cr, 9, 22);
  cairo_line_to(cr, 39, 22);
  cairo_move_to(cr, 24, 19);
  cairo_line_to(cr, 24, 31);
  cairo_move_to(cr, 22, 31);
  cairo_line_to(cr, 14, 42);
  cairo_move_to(cr, 26, 31);
  cairo_line_to(cr, 34, 42);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.99, 0.99, 0.99);
  cairo_arc(cr, 21, 9.5, 1.3, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_arc(cr, 27, 9.5, 1.3, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.4);
  cairo_arc(cr, 24, 12, 4, 0.2 * M_PI, 0.8 * M_PI);
  cairo_stroke(cr);
  Rgb(cr, 200, 30, 60);
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, 24, 21 + i * 4, 1.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

void Title(cairo_t* cr, int w, int h) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* d = pango_font_description_from_string("Liberation Serif Bold Italic");
  pango_font_description_set_absolute_size(d, 30 * PANGO_SCALE);
  pango_layout_set_font_description(layout, d);
  pango_layout_set_text(layout, "Pantrela", -1);
  PangoRectangle r;
  pango_layout_get_pixel_extents(layout, nullptr, &r);
  Rgb(cr, 120, 60, 20);
  cairo_move_to(cr, (w - r.width) / 2.0 + 1, (h - r.height) / 2.0 + 1);
  pango_cairo_show_layout(cr, layout);
  Rgb(cr, 190, 110, 40);
  cairo_move_to(cr, (w - r.width) / 2.0, (h - r.height) / 2.0);
  pango_cairo_show_layout(cr, layout);
  pango_font_description_free(d);
  g_object_unref(layout);
}

}  // namespace

cairo_surface_t* RenderBitmapResource(std::string_view name) {
  int w = 0, h = 0;
  if (name == "CHECKED_BOX") w = h = 16;
  else if (name == "ARROW_UP" || name == "ARROW_DOWN" || name == "ARROW_LEFT" || name == "ARROW_RIGHT") w = h = 16;
  else if (name == "BIG_LEFT" || name == "BIG_RIGHT" || name == "BIG_DOWN") w = h = 28;
  else if (name == "MEDIUM_X") w = h = 24;
  else if (name == "GINGERBREAD_48" || name == "PROGRAM") w = h = 48;
  else if (name == "TITLE_LARGE") { w = 150; h = 40; }
  else return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  // Antialiasing would blend edges into the key colour: draw edges solid for
  // the small pictures that are keyed on buttons.
  bool keyed = name != "GINGERBREAD_48" && name != "PROGRAM" && name != "TITLE_LARGE";
  if (keyed) cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  if (name == "CHECKED_BOX") CheckMark(cr, w);
  else if (name == "ARROW_UP") { cairo_set_source_rgb(cr, 0, 0, 0); Arrow(cr, w, 'U'); }
  else if (name == "ARROW_DOWN") { cairo_set_source_rgb(cr, 0, 0, 0); Arrow(cr, w, 'D'); }
  else if (name == "ARROW_LEFT") { cairo_set_source_rgb(cr, 0, 0, 0); Arrow(cr, w, 'L'); }
  else if (name == "ARROW_RIGHT") { cairo_set_source_rgb(cr, 0, 0, 0); Arrow(cr, w, 'R'); }
  else if (name == "BIG_LEFT") { Rgb(cr, 0, 0, 128); Arrow(cr, w, 'L'); }
  else if (name == "BIG_RIGHT") { Rgb(cr, 0, 0, 128); Arrow(cr, w, 'R'); }
  else if (name == "BIG_DOWN") { Rgb(cr, 0, 0, 128); Arrow(cr, w, 'D'); }
  else if (name == "MEDIUM_X") MediumX(cr, w);
  else if (name == "TITLE_LARGE") Title(cr, w, h);
  else Gingerbread(cr, w);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

}  // namespace pantrela::platform
