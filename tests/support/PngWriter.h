#pragma once
// Writes 24-bit RGB pixels as a PNG (stored deflate blocks, no compression library needed), so a
// test can leave a screenshot a person can open.

#include <cstdint>
#include <string>
#include <vector>

// `rgb`: rows top-down, 3 bytes per pixel. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
