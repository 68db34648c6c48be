// glTF 2.0 output of a scene: see gltf.h.
