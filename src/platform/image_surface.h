// Decoded images as cairo image surfaces, the form the drawing code paints
// from (recipe photos on screen, in the print preview and on paper).
#pragma once

#include <cairo.h>

#include <memory>

#include "platform/image_codec.h"

namespace pantrela::platform {

struct SurfaceRelease {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceRelease>;

// An ARGB32 (premultiplied alpha) image surface holding a copy of the image;
// null for an empty image or when cairo cannot make the surface.
SurfacePtr ImageToSurface(const Image& image);

// The image on a surface, back as RGBA (alpha no longer premultiplied); an
// empty image for a surface that is not an ARGB32 or RGB24 image surface.
Image SurfaceToImage(cairo_surface_t* surface);

}  // namespace pantrela::platform
