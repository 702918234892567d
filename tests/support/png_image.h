// PNG files of drawn pixels: to look at what was drawn, and to compare it with a golden file.
#pragma once

#include <optional>
#include <string>

#include "gdi_testing.h"

// Writes the image as an 8-bit RGB PNG; false when the file cannot be written.
bool WritePng(const std::string& path, const winapi::Surface& image);

// Reads a PNG written by WritePng (or any PNG, converted to RGB); nothing when unreadable.
std::optional<winapi::Surface> ReadPng(const std::string& path);

// Compares image with the golden PNG at goldenPath. Returns an empty string when they are
// equal, else what differs; the image is then written next to the test's working directory
// as <name>.actual.png for a look. With TARVEL_UPDATE_GOLDEN=1 in the environment the golden
// file is rewritten from the image instead, and the comparison passes.
std::string CompareWithGolden(const winapi::Surface& image, const std::string& goldenPath);
