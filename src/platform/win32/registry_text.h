#pragma once
// A text value of an open registry key, read whole: the one reader of REG_SZ
// for the settings store and the serial-port list.

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

namespace rc::win32 {

// The text of a REG_SZ (or REG_EXPAND_SZ, unexpanded) value without its
// terminating zeros; nullopt when the value is missing or of another type.
inline std::optional<std::wstring> ReadRegistryText(HKEY key, const wchar_t* name) {
  DWORD type = 0, bytes = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  // One more character than asked for: a value stored without its terminator.
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(std::min<std::size_t>(text.size(), bytes / sizeof(wchar_t)));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

}  // namespace rc::win32
