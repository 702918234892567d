// wsprintfA, USER32's own small printf.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// wsprintfA never writes more than this, terminator included.
constexpr size_t kWsprintfLimit = 1024;

class BoundedOutput {
 public:
  explicit BoundedOutput(char* buffer) : buffer_(buffer) {}
  void Put(char c) {
    if (length_ < kWsprintfLimit - 1) buffer_[length_++] = c;
  }
  void Put(const char* text, size_t count) {
    for (size_t i = 0; i < count; ++i) Put(text[i]);
  }
  void Pad(size_t count, char fill) {
    for (size_t i = 0; i < count; ++i) Put(fill);
  }
  int Finish() {
    buffer_[length_] = '\0';
    return static_cast<int>(length_);
  }

 private:
  char* buffer_;
  size_t length_ = 0;
};

}  // namespace

// The conversions of wsprintf: %d %i %u %x %X %c %s with the flags '-' and '0', a width,
// a precision (the most characters of a string, the least digits of a number) and the
// size prefixes l and h. Floating point, '*' and %p do not exist in wsprintf.
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (!buffer || !format) return 0;
  va_list args;
  va_start(args, format);
  BoundedOutput out(buffer);
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out.Put(*p);
      continue;
    }
    const char* start = p++;
    bool left = false, zero = false;
    for (; *p == '-' || *p == '0' || *p == '#'; ++p) {
      if (*p == '-') left = true;
      if (*p == '0') zero = true;
    }
    size_t width = 0;
    for (; *p >= '0' && *p <= '9'; ++p) width = std::min<size_t>(width * 10 + (*p - '0'), kWsprintfLimit);
    int precision = -1;
    if (*p == '.') {
      precision = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p) precision = std::min<int>(precision * 10 + (*p - '0'), kWsprintfLimit);
    }
    bool shortArg = false;
    if (*p == 'l')
      ++p;
    else if (*p == 'h') {
      shortArg = true;
      ++p;
    }

    char digits[40];
    const char* text = digits;
    size_t length = 0;
    bool numeric = true;
    bool negative = false;
    switch (*p) {
      case 'd':
      case 'i': {
        long long value = va_arg(args, int);
        if (shortArg) value = static_cast<short>(value);
        negative = value < 0;
        length = static_cast<size_t>(std::snprintf(digits, sizeof digits, "%llu",
                                                   negative ? 0ULL - static_cast<unsigned long long>(value)
                                                            : static_cast<unsigned long long>(value)));
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        unsigned value = va_arg(args, unsigned);
        if (shortArg) value = static_cast<unsigned short>(value);
        const char* conversion = *p == 'u' ? "%u" : *p == 'x' ? "%x" : "%X";
        length = static_cast<size_t>(std::snprintf(digits, sizeof digits, conversion, value));
        break;
      }
      case 'c':
        digits[0] = static_cast<char>(va_arg(args, int));
        length = 1;
        numeric = false;
        break;
      case 's': {
        text = va_arg(args, const char*);
        if (!text) text = "(null)";
        length = std::strlen(text);
        if (precision >= 0) length = std::min(length, static_cast<size_t>(precision));
        numeric = false;
        break;
      }
      default:
        // "%%" and anything wsprintf does not know: the text as it stands, without the '%'.
        if (*p == '\0') {
          out.Put(start, static_cast<size_t>(p - start));
          --p;
        } else {
          out.Put(*p);
        }
        continue;
    }
    const size_t zeros = numeric && precision > 0 && static_cast<size_t>(precision) > length ? precision - length : 0;
    const size_t body = length + zeros + (negative ? 1 : 0);
    const size_t pad = width > body ? width - body : 0;
    if (!left && !(zero && numeric)) out.Pad(pad, ' ');
    if (negative) out.Put('-');
    if (!left && zero && numeric) out.Pad(pad, '0');
    out.Pad(zeros, '0');
    out.Put(text, length);
    if (left) out.Pad(pad, ' ');
  }
  va_end(args);
  return out.Finish();
}
