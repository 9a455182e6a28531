#pragma once
// Writes RGBA pixels as a PNG (stored deflate blocks, no compression library needed), so a test
// can leave a screenshot a person can open.

#include <cstdint>
#include <string>
#include <vector>

// `rgba`: rows top-down, 4 bytes per pixel, the last one the opacity (0 see-through, 255
// opaque). False when the file cannot be written.
bool WritePngRgba(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);
