#pragma once
#include <memory>

#include "platform/serial_port.h"

namespace rc::win32 {

class Win32Platform;

// The reader's port, \\.\COM2.
std::unique_ptr<platform::SerialPort> MakeReaderPort(Win32Platform& platform);

}  // namespace rc::win32
