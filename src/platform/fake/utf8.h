#pragma once
// Wide text and UTF-8 for the tests' readable logs and literals, on the native
// build, where wchar_t holds a whole code point. Valid text only: the tests
// write their own.

#include <string>
#include <string_view>

namespace rc {

static_assert(sizeof(wchar_t) == 4, "the fake platform runs natively, where wchar_t is UTF-32");

inline std::string ToUtf8(std::wstring_view text) {
  std::string out;
  for (wchar_t w : text) {
    const auto c = static_cast<char32_t>(w);
    const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[tail] | (c >> (6 * tail)));
    for (int i = tail - 1; i >= 0; --i) out += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
  }
  return out;
}

inline std::wstring FromUtf8(std::string_view text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    const int tail = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t c = lead & (0x7F >> tail);
    for (int k = 0; k < tail && i < text.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    out += static_cast<wchar_t>(c);
  }
  return out;
}

}  // namespace rc
