#pragma once
// Conversions between the program's wide text and UTF-8, for logs and tests.
// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.

#include <string>
#include <string_view>

namespace rc {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace rc
