#include "png_image.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

bool WritePng(const std::string& path, const winapi::Surface& image) {
  std::vector<png_byte> rgb(static_cast<size_t>(image.width) * image.height * 3);
  for (size_t i = 0; i < image.AllPixels().size(); ++i) {
    rgb[3 * i] = static_cast<png_byte>(image.AllPixels()[i] >> 16);
    rgb[3 * i + 1] = static_cast<png_byte>(image.AllPixels()[i] >> 8);
    rgb[3 * i + 2] = static_cast<png_byte>(image.AllPixels()[i]);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&png);
  return written;
}

std::optional<winapi::Surface> ReadPng(const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
  png.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&png);
    return std::nullopt;
  }
  winapi::Surface image(static_cast<int>(png.width), static_cast<int>(png.height));
  for (size_t i = 0; i < image.AllPixels().size(); ++i)
    image.AllPixels()[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
  return image;
}

std::string CompareWithGolden(const winapi::Surface& image, const std::string& goldenPath) {
  const char* update = std::getenv("TARVEL_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    return WritePng(goldenPath, image) ? "" : "cannot write " + goldenPath;
  }
  const std::string actualPath = std::filesystem::path(goldenPath).stem().string() + ".actual.png";
  const std::optional<winapi::Surface> golden = ReadPng(goldenPath);
  if (!golden) return "cannot read " + goldenPath + " (TARVEL_UPDATE_GOLDEN=1 writes it)";
  if (golden->width != image.width || golden->height != image.height) {
    WritePng(actualPath, image);
    return "size " + std::to_string(image.width) + "x" + std::to_string(image.height) + " differs from the golden " +
           std::to_string(golden->width) + "x" + std::to_string(golden->height) + "; see " + actualPath;
  }
  size_t differing = 0;
  size_t first = 0;
  for (size_t i = 0; i < image.AllPixels().size(); ++i) {
    if (image.AllPixels()[i] != golden->AllPixels()[i] && differing++ == 0) first = i;
  }
  if (differing == 0) return "";
  WritePng(actualPath, image);
  return std::to_string(differing) + " pixels differ from " + goldenPath + ", the first at (" +
         std::to_string(first % image.width) + ", " + std::to_string(first / image.width) + "); see " + actualPath;
}
