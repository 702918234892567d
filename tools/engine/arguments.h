// Checking the tool's command-line and input tokens, and quoting rejected ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The whole token as a decimal count from min to max: digits only, no sign,
// spaces or suffix; nothing when it is anything else or out of range.
std::optional<std::int64_t> ParseCount(std::string_view token, std::int64_t min, std::int64_t max);

// The token as it may be shown on a terminal: bytes outside printable ASCII and
// backslashes written as \xNN and \\, and a long token cut after its first
// kShownBytes bytes with the length of the whole said.
constexpr std::size_t kShownBytes = 40;
std::string Shown(std::string_view token);

// Writes "tarvel-engine: <message> (see --help)" to stderr; returns the exit code
// of bad usage, 2.
int UsageError(const std::string& message);
