#pragma once
#include <memory>

#include "platform/serial_port.h"

namespace rc::win32 {

class Win32Platform;

// The reader's port, \\.\COM2, opened exclusively with overlapped I/O. While it
// is open one I/O thread waits for received bytes and posts them to the
// start-up window (kSerialReceived); when the device goes away it posts
// kSerialLost once and ends. Writes run on the calling (user-interface) thread.
std::unique_ptr<platform::SerialPort> MakeReaderPort(Win32Platform& platform);

}  // namespace rc::win32
