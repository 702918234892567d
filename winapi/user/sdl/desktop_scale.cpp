#include "user/sdl/desktop_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace winapi {
namespace {

constexpr double kMaxScale = 4.0;

// A positive decimal number and nothing else but blanks; nullopt for anything else.
std::optional<double> ParseNumber(std::string_view text) {
  const std::string copy(text);
  const char* begin = copy.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (!(*begin >= '0' && *begin <= '9') && *begin != '.') return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin) return std::nullopt;
  while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
  if (*end != '\0' || !std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

// The value of the last "Xft.dpi:" line; later lines override earlier ones, as xrdb merges.
std::optional<double> XftDpi(std::string_view resources) {
  constexpr std::string_view kName = "Xft.dpi";
  std::optional<double> dpi;
  while (!resources.empty()) {
    const std::size_t newline = resources.find('\n');
    std::string_view line = resources.substr(0, newline);
    resources = newline == std::string_view::npos ? std::string_view{} : resources.substr(newline + 1);
    if (!line.starts_with(kName)) continue;
    line.remove_prefix(kName.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() != ':') continue;
    line.remove_prefix(1);
    if (const auto value = ParseNumber(line)) dpi = value;
  }
  return dpi;
}

double Settle(double scale) { return std::clamp(std::round(scale * 4) / 4, 1.0, kMaxScale); }

}  // namespace

double ChooseDesktopScale(std::optional<std::string_view> resources, const char* gdkScale) {
  if (resources)
    if (const auto dpi = XftDpi(*resources)) return Settle(*dpi / 96);
  if (gdkScale)
    if (const auto scale = ParseNumber(gdkScale)) return Settle(*scale);
  return 1.0;
}

bool IsWholeScale(double scale) { return scale == std::floor(scale); }

int ScaleUp(int length, double scale) { return static_cast<int>(std::lround(length * scale)); }

int ScaleDown(int coordinate, double scale) { return static_cast<int>(std::floor(coordinate / scale)); }

}  // namespace winapi
