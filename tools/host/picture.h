#pragma once

// A shaded picture of a scene: per-face colours, diffuse light from the viewer, a depth
// buffer and, on request, the outlines of faces. Written as PNG.

#include <cstdint>
#include <string>
#include <vector>

#include "scene.h"

namespace trx::host {

// What no triangle covers.
constexpr std::array<std::uint8_t, 3> kBackground{255, 255, 255};

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
    std::size_t triangles = 0;      // drawn (each placement counts)

    std::array<std::uint8_t, 3> at(int x, int y) const;
};

// Throws std::invalid_argument when options.view names no saved view (the text lists the
// names there are) or the size is not 1..16384 each way.
Picture render(const Scene& scene, const PictureOptions& options);

// Throws std::runtime_error naming the path when it cannot be written.
void writePng(const Picture& picture, const std::string& path);
// Reads a PNG written by writePng (8-bit RGB); for tests and tools.
Picture readPng(const std::string& path);

}  // namespace trx::host
