// The back buffer and the drawing operations every screen, dialog and the
// print preview use: a cairo image surface (ARGB32) with text by pango and
// fontconfig. Texts are Windows-1252 bytes; they become UTF-8 only here.
//
// Rectangles are given by their corners (x1, y1, x2, y2) in client pixels and
// cover x1 <= x < x2, y1 <= y < y2. Colours are red + 256 x green +
// 65536 x blue.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/image_codec.h"

namespace pantrela::platform {

// A font description: face, height of a text line in pixels, weight
// (400 regular, 700 bold) and quality (0 default, 4 antialiased, 5 ClearType).
struct FontDesc {
  std::string face = "Arial";
  int height = 20;
  int weight = 400;
  int quality = 4;
};

// True when fontconfig has a font of exactly this family (aliases such as
// "Arial" for a metric-compatible face do not count).
bool FontInstalled(const std::string& face);

// A picture to draw (a recipe photo): an image held as a cairo surface.
struct Picture {
  std::shared_ptr<cairo_surface_t> surface;
  int width = 0, height = 0;
  bool empty() const { return !surface || width <= 0 || height <= 0; }
};
Picture PictureFromImage(const Image& image);

// Text modes of DrawText.
enum TextMode : int { kTextLeft = 0, kTextRight = 1, kTextCentre = 2, kTextMeasure = 3 };

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height) { Resize(width, height); }
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // New size; the pixels that fit are kept, the rest is white.
  void Resize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // ARGB32 pixels (premultiplied; opaque everywhere the screen paints).
  const uint8_t* Pixels();
  int Stride() const;
  // The colour (red + 256 x green + 65536 x blue) of one pixel; -1 outside.
  int PixelAt(int x, int y);

  // Draws (modes 0-2) or measures (mode 3) one line of text with its top at
  // y; the background stays transparent. Sets the last text size.
  void DrawText(int x, int y, int mode, uint32_t colour, const FontDesc& font, std::string_view text);
  int LastTextWidth() const { return lastW_; }
  int LastTextHeight() const { return lastH_; }
  // Width of a text in a font (sets the last text size too).
  int TextWidth(const FontDesc& font, std::string_view text) {
    DrawText(0, 0, kTextMeasure, 0, font, text);
    return lastW_;
  }

  void FillRect(int x1, int y1, int x2, int y2, uint32_t colour);
  // Outline of pen width inside the rectangle; the inside is left as it is.
  void FrameRect(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth = 1);
  void DottedRect(int x1, int y1, int x2, int y2, uint32_t colour);
  void FramedFill(int x1, int y1, int x2, int y2, uint32_t fill, uint32_t frame);
  // A straight line of one pixel (scroll bars, underlines).
  void Line(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth = 1);

  // Later drawing is limited to the rectangle, until ClearClip.
  void SetClip(int x1, int y1, int x2, int y2);
  void ClearClip();

  // Draws a bitmap resource by name; pixels of the key colour are left
  // transparent (-1: none). False for an unknown name.
  bool DrawBitmap(std::string_view name, int x, int y, int keyColour = -1);
  // Picture scaled into the rectangle with smoothing.
  void DrawPictureScaled(const Picture& picture, int x, int y, int w, int h);
  // Picture scaled into the rectangle at an opacity from 0 to 1.
  void BlendPicture(const Picture& picture, int x, int y, int w, int h, double opacity);

  // Keeps an image of the whole buffer; PutSnapshot paints part of it back.
  void Snapshot();
  void PutSnapshot(int x1, int y1, int x2, int y2);
  // The kept image moved aside and back (dialogs nest).
  struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
  };
  using SnapshotImage = std::unique_ptr<cairo_surface_t, SurfaceFree>;
  SnapshotImage TakeSnapshot() { return std::move(snapshot_); }
  void GiveSnapshot(SnapshotImage s) { snapshot_ = std::move(s); }

  // Writes the buffer as a PNG file (screenshots of the demo).
  bool WritePng(const std::string& path);

  cairo_t* Cairo() { return cr_; }

 private:
  PangoFontDescription* FontFor(const FontDesc& font);
  cairo_surface_t* BitmapFor(std::string_view name, int keyColour);

  int width_ = 0, height_ = 0;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  PangoLayout* layout_ = nullptr;
  SnapshotImage snapshot_;
  int lastW_ = 0, lastH_ = 0;
  std::map<std::string, PangoFontDescription*> fonts_;
  std::map<std::string, cairo_surface_t*> bitmaps_;
};

// The bitmap resources, drawn by the program: "CHECKED_BOX", "ARROW_UP",
// "ARROW_DOWN", "ARROW_LEFT", "ARROW_RIGHT", "BIG_LEFT", "BIG_RIGHT",
// "BIG_DOWN", "MEDIUM_X", "GINGERBREAD_48", "TITLE_LARGE" and "PROGRAM" (the
// window icon). An opaque RGB24 surface on white, or null for an unknown name.
cairo_surface_t* RenderBitmapResource(std::string_view name);

}  // namespace pantrela::platform
