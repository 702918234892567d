#include "user/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace winapi {
namespace {

// Characters without a form in the target come out as '?' rather than cutting the text short.
std::string Convert(const char* to, const char* from, const char* data, size_t size) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(data, size);
  std::string out;
  std::vector<char> buffer(size * 4 + 16);
  char* in = const_cast<char*>(data);
  size_t inLeft = size;
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), outPtr);
    if (result == static_cast<size_t>(-1) && inLeft > 0) {
      if (errno == E2BIG) continue;
      out.push_back('?');
      // Skip one unit of the source: two bytes for UTF-16, a whole character for CP932.
      const size_t unit = std::string_view(from) == "UTF-16LE" ? 2 : (IsCp932LeadByte(*in) && inLeft > 1 ? 2 : 1);
      in += unit;
      inLeft -= unit < inLeft ? unit : inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932FromUtf16(const std::u16string& text) {
  return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string Utf8FromCp932(const std::string& text) { return Convert("UTF-8", "CP932", text.data(), text.size()); }

}  // namespace winapi
