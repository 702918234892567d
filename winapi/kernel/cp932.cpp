#include "kernel/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace winapi {
namespace {

// One converter for each direction, opened on first use. glibc always has CP932; without
// it no text of the program could be shown, so its absence stops the program.
iconv_t Converter(const char* to, const char* from) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "%s: iconv cannot convert from %s to %s\n", program_invocation_short_name, from, to);
    std::abort();
  }
  return converter;
}

// Converts in, writing replacement for each unit iconv cannot take; skip says how many
// bytes such a unit has.
template <typename Skip>
std::string Convert(iconv_t converter, std::string_view in, std::string_view replacement, Skip skip) {
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  char buffer[256];
  char* from = const_cast<char*>(in.data());
  size_t fromLeft = in.size();
  while (fromLeft > 0) {
    char* to = buffer;
    size_t toLeft = sizeof buffer;
    const size_t result = iconv(converter, &from, &fromLeft, &to, &toLeft);
    out.append(buffer, to);
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or, at the very end, EINVAL: an invalid or cut-off unit.
    out.append(replacement);
    const size_t n = std::min(skip(in.size() - fromLeft), fromLeft);
    from += n;
    fromLeft -= n;
  }
  return out;
}

}  // namespace

std::size_t Cp932CharLength(std::string_view text, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                 IsCp932TrailByte(static_cast<unsigned char>(text[i + 1]))
             ? 2
             : 1;
}

std::string Utf8FromCp932(std::string_view cp932) {
  static const iconv_t converter = Converter("UTF-8", "CP932");
  return Convert(converter, cp932, "\uFFFD", [&](size_t at) { return Cp932CharLength(cp932, at); });
}

std::string Cp932FromUtf16(std::u16string_view utf16) {
  static const iconv_t converter = Converter("CP932", "UTF-16LE");
  const std::string_view bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
  return Convert(converter, bytes, "?", [](size_t) { return size_t{2}; });
}

MnemonicLabel ParseMnemonic(std::string_view cp932) {
  MnemonicLabel label;
  for (size_t i = 0; i < cp932.size();) {
    if (cp932[i] == '&') {
      if (++i == cp932.size()) break;
      if (cp932[i] != '&' && label.markedByte < 0) label.markedByte = static_cast<int>(label.text.size());
    }
    const size_t length = Cp932CharLength(cp932, i);
    label.text.append(cp932.substr(i, length));
    i += length;
  }
  return label;
}

}  // namespace winapi
