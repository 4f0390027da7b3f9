#pragma once
// Files and processes: testing that a file exists and starting a program.

#include <string_view>

#include "platform/status.h"

namespace rc::platform {

class Processes {
 public:
  virtual ~Processes() = default;
  virtual bool FileExists(std::wstring_view path) = 0;
  // Starts the program file at `path` as a new process with a normal,
  // activated window; does not wait for it and keeps no handle to it.
  virtual Status Start(std::wstring_view path) = 0;
};

}  // namespace rc::platform
