#pragma once
#include <string>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

// Per-user string values addressed by application, section and key.
class SettingsBackend {
 public:
  virtual ~SettingsBackend() = default;
  // The stored text, or `fallback` when the key or its section does not exist
  // (or cannot be read).
  virtual std::wstring Get(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                           std::wstring_view fallback) = 0;
  // Whether the key is stored (as text, whatever the text).
  virtual bool Contains(std::wstring_view application, std::wstring_view section, std::wstring_view key) = 0;
  // Creates the section when needed and replaces any earlier value.
  virtual Status Save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                      std::wstring_view value) = 0;
};

}  // namespace rc::platform
