#pragma once
// Files and processes: testing that a file exists and starting a program.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

class Processes {
 public:
  virtual ~Processes() = default;
  virtual bool FileExists(std::wstring_view path) = 0;
  // The full path of this program's own file.
  virtual std::wstring ProgramPath() = 0;
  // The folder of the system's own programs, named so that this program reaches
  // the machine's native one (a 32-bit program on 64-bit Windows is otherwise
  // shown the 32-bit folder in its place); no trailing backslash. Empty when
  // the system does not say.
  virtual std::wstring SystemFolder() = 0;
  // Starts the program file at `path` as a new process with a normal,
  // activated window; does not wait for it and keeps no handle to it.
  virtual Status Start(std::wstring_view path) = 0;
};

}  // namespace rc::platform
