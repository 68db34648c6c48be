#pragma once

// A shaded picture of a scene: per-face colours, diffuse light from the viewer, a depth
// buffer and, on request, the outlines of faces. Written as PNG.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scene.h"

namespace trx::host {

// The largest side of a picture: its buffers take about 12 bytes a pixel.
constexpr int kMaxPictureSide = 8192;

// What no triangle covers.
constexpr std::array<std::uint8_t, 3> kBackground{255, 255, 255};

// Where the light comes from, in the picture's frame (x right, y up, z towards the viewer;
// not of unit length): just above and left of the viewer, so that the faces of a box seen
// from a corner differ.
constexpr std::array<double, 3> kLightDirection{-0.2, 0.35, 1};

struct PictureOptions {
    int width = 1024;
    int height = 768;
    // A saved view of the scene by name. Empty: the scene's first saved view when it has
    // one, else an isometric view that fits the bounds.
    std::wstring view;
    bool isometric = false;  // the isometric view even where saved views exist
    bool edges = false;      // darken the borders between faces and the silhouette
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // row by row from the top, 3 bytes a pixel
    std::wstring view;              // the saved view's name, or "isometric"
    // Drawn (each placement counts): those with finite corners in range that reach into the
    // picture, whether or not something nearer hides them.
    std::size_t triangles = 0;
    // False when the scene's triangles overlap so much that drawing them all would take far
    // longer than any model needs: those past the limit were left out.
    bool complete = true;

    // Throws std::out_of_range outside the picture.
    std::array<std::uint8_t, 3> at(int x, int y) const;
};

// Orthographic views fit the scene's bounds unless a saved view gives its width; a
// perspective view takes its field of view (30 degrees when it gives none). Shading is
// colour * (0.25 + 0.75 * |cos|) of the angle between the surface and kLightDirection, lit
// from either side. Surfaces with opacity below 1 are blended over the opaque ones.
// Throws std::invalid_argument when options.view names no saved view (the text lists the
// names there are) or a side is not 1..kMaxPictureSide.
Picture render(const Scene& scene, const PictureOptions& options);

// Throws std::runtime_error naming the path when it cannot be written.
void writePng(const Picture& picture, const std::string& path);
// Reads a PNG written by writePng (8-bit RGB); for tests and tools.
Picture readPng(const std::string& path);

}  // namespace trx::host
