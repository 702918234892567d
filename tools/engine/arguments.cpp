#include "arguments.h"

#include <charconv>
#include <cstdio>

std::optional<std::int64_t> ParseCount(std::string_view token, std::int64_t min, std::int64_t max) {
  // from_chars alone would take a leading minus sign and stop at the first non-digit.
  if (token.empty() || token.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size() || value < min || value > max) return std::nullopt;
  return value;
}

std::string Shown(std::string_view token) {
  std::string shown;
  for (const char c : token.substr(0, kShownBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    }
  }
  if (token.size() > kShownBytes) shown += "... (" + std::to_string(token.size()) + " bytes)";
  return shown;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "tarvel-engine: %s (see --help)\n", message.c_str());
  return 2;
}
