#pragma once

// The files the host writes from what arrived: glTF and a picture.

#include <string>

#include "picture.h"
#include "report.h"

namespace trx::host {

struct OutputOptions {
    std::string gltf;  // path; empty: none
    std::string png;   // path; empty: none
    PictureOptions picture;
    bool any() const { return !gltf.empty() || !png.empty(); }
};

// Writes each output asked for and notes it in the report (also when it fails, with why).
// False when one could not be written.
bool writeOutputs(const Scene& scene, const OutputOptions& options, Report& report);

// "1024x768" -> width and height, each 1..kMaxPictureSide; false for anything else.
bool parseSize(const std::string& text, int& width, int& height);

}  // namespace trx::host
