#include "gdi/text.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gdi/raster.h"
#include "kernel/cp932.h"

namespace winapi {
namespace {

// Pixels per em and per line. The default font of a DC on a Japanese Windows is 16 pixels
// high; IPAGothic's ascent and descent add up to its em, so both are 16 here too.
constexpr int kEmPixels = 16;
constexpr int kLinePixels = 16;

// Every text of the program needs the font, so there is no going on without it; the user
// is told what to install, and the process ends as any failed start does, not by a crash.
[[noreturn]] void FontFailure(const char* what, const char* detail) {
  std::fprintf(stderr, "%s: no usable Japanese font: %s%s%s; install fonts-ipafont-gothic\n",
               program_invocation_short_name, what, detail ? ": " : "", detail ? detail : "");
  std::exit(1);
}

// The font every text of the layer is drawn with, opened on first use. A font without
// Japanese glyphs would draw boxes for every text of the program, so fontconfig's answer
// is checked for the language and anything less stops the program.
class Font {
 public:
  static Font& Get() {
    static Font font;
    return font;
  }
  ~Font() {
    // Hand everything back at exit, fontconfig's parsed configuration included, so that
    // leak checkers see only what the program itself keeps.
    TTF_CloseFont(font_);
    if (startedTtf_) TTF_Quit();
    FcFini();
  }
  TTF_Font* Handle() const { return font_; }
  int Ascent() const { return ascent_; }

 private:
  Font() {
    if (!FcInit()) FontFailure("fontconfig does not start", nullptr);
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) FontFailure("fontconfig matches nothing for sans-serif:lang=ja", nullptr);

    FcChar8* file = nullptr;
    FcCharSet* charset = nullptr;
    FcLangSet* languages = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch)
      FontFailure("the match has no file", nullptr);
    const char* path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) != FcResultMatch ||
        FcPatternGetLangSet(match, FC_LANG, 0, &languages) != FcResultMatch)
      FontFailure("the match has no character or language set", path);
    // Code page 932's texts: Japanese as fontconfig judges a font's coverage of it (kana
    // and kanji), and the printable ASCII of the code page's single-byte half.
    bool covers = FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) == FcLangEqual;
    for (FcChar32 c = 0x20; covers && c < 0x7F; ++c) covers = FcCharSetHasChar(charset, c);
    if (!covers) FontFailure("the font does not cover Japanese", path);
    if (!TTF_WasInit()) {
      if (TTF_Init() != 0) FontFailure("SDL_ttf does not start", TTF_GetError());
      startedTtf_ = true;
    }
    font_ = TTF_OpenFontIndex(reinterpret_cast<const char*>(file), kEmPixels, index);
    if (!font_) FontFailure("SDL_ttf cannot open the font", TTF_GetError());
    FcPatternDestroy(match);
    ascent_ = TTF_FontAscent(font_);
  }

  TTF_Font* font_ = nullptr;
  int ascent_ = 0;
  bool startedTtf_ = false;
};

int Utf8Width(const std::string& utf8) {
  if (utf8.empty()) return 0;
  int width = 0, height = 0;
  TTF_SizeUTF8(Font::Get().Handle(), utf8.c_str(), &width, &height);
  return width;
}

uint32_t Blend(uint32_t under, uint32_t over, uint32_t alpha) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t a = (over >> shift) & 0xFF;
    const uint32_t b = (under >> shift) & 0xFF;
    result |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
  }
  return result;
}

// Anti-aliased glyphs of one line, blended over the surface.
void DrawLine(Surface& surface, int x, int y, const std::string& utf8, uint32_t color, const RECT& clip) {
  if (utf8.empty()) return;
  SDL_Surface* glyphs = TTF_RenderUTF8_Blended(Font::Get().Handle(), utf8.c_str(), SDL_Color{255, 255, 255, 255});
  if (!glyphs) return;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(glyphs);
  if (!argb) return;
  const int left = std::max<int>({clip.left, 0, x});
  const int right = std::min<int>({clip.right, surface.width, x + argb->w});
  const int top = std::max<int>({clip.top, 0, y});
  const int bottom = std::min<int>({clip.bottom, surface.height, y + argb->h});
  for (int py = top; py < bottom; ++py) {
    const auto* source = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                            static_cast<size_t>(py - y) * argb->pitch);
    uint32_t* row = surface.Row(py);
    for (int px = left; px < right; ++px) {
      const uint32_t alpha = source[px - x] >> 24;
      if (alpha) row[px] = Blend(row[px], color, alpha);
    }
  }
  SDL_FreeSurface(argb);
}

}  // namespace

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(begin, i - begin));
      i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
      begin = i;
    } else {
      i += Cp932CharLength(text, i);
    }
  }
  lines.push_back(text.substr(begin));
  return lines;
}

TextExtent MeasureText(std::string_view cp932) {
  TextExtent extent;
  extent.lineHeight = kLinePixels;
  for (const std::string_view line : SplitTextLines(cp932)) {
    extent.width = std::max(extent.width, Utf8Width(Utf8FromCp932(line)));
    ++extent.lines;
  }
  return extent;
}

void DrawTextOnSurface(Surface& surface, int x, int y, std::string_view cp932, COLORREF color, const RECT& clip,
                       int underlineByte) {
  const uint32_t pixel = PixelOf(color);
  int lineTop = y;
  for (const std::string_view text : SplitTextLines(cp932)) {
    DrawLine(surface, x, lineTop, Utf8FromCp932(text), pixel, clip);
    const auto begin = static_cast<size_t>(text.data() - cp932.data());
    const auto at = static_cast<size_t>(underlineByte);
    if (underlineByte >= 0 && at >= begin && at < begin + text.size()) {
      const size_t offset = at - begin;
      const int from = x + Utf8Width(Utf8FromCp932(text.substr(0, offset)));
      const int to = x + Utf8Width(Utf8FromCp932(text.substr(0, offset + Cp932CharLength(text, offset))));
      const int underlineY = lineTop + Font::Get().Ascent() + 1;
      if (underlineY >= clip.top && underlineY < clip.bottom)
        Paint{Paint::Kind::Solid, pixel}.Span(surface, underlineY, std::max<int>(from, clip.left),
                                              std::min<int>(to, clip.right));
    }
    lineTop += kLinePixels;
  }
  ++surface.generation;
}

}  // namespace winapi
