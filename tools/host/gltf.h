#pragma once

// The scene as glTF 2.0: one node per placed reference (its placement as the node's
// matrix), one mesh per block shared by its placements, one material per colour, a camera
// per saved view. Lengths in metres, as glTF has them.

#include <string>

#include "scene.h"

namespace trx::host {

// Binary glTF (.glb) unless the path ends in ".gltf": then JSON with the buffer embedded.
// Throws std::runtime_error naming the path when it cannot be written.
void writeGltf(const Scene& scene, const std::string& path);

}  // namespace trx::host
