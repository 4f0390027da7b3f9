#pragma once
// The reader's port, \\.\COMn, opened exclusively with overlapped I/O. While it
// is open one I/O thread does all of its input and output: it waits for
// received bytes and posts them to the port's own message-only window
// (kSerialReceived), writes what the user-interface thread hands it, one write
// at a time and in order, posting each outcome (kSerialWritten), and when the
// device goes away posts kSerialLost once and ends. Each carries the number of
// its open. The window hands them to the port's events on the user-interface
// thread, which never waits on the device.

#include <windows.h>

#include <memory>
#include <thread>

#include "platform/serial_port.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class SerialIo;

class Win32SerialPort final : public platform::SerialPort {
 public:
  Win32SerialPort();
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  platform::Status Configure(const platform::SerialLineSettings& settings) override;
  platform::Status Open(std::wstring_view port_name, platform::SerialEvents& events) override;
  platform::Status Close() override;
  bool IsOpen() const override { return static_cast<bool>(port_); }
  platform::SerialOpen current() const override { return opens_; }
  bool Responds() override;
  platform::Status Write(std::string_view bytes) override;

 private:
  platform::Status MakeEventsWindow();
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  platform::SerialLineSettings line_;
  platform::SerialEvents* events_ = nullptr;
  OwnedWindow events_window_;
  OwnedFile port_;
  platform::SerialOpen opens_ = 0;
  // Shared with the I/O thread, which a driver that never gives up a read or a
  // write may keep past the close: whichever of the two ends last frees it.
  std::shared_ptr<SerialIo> io_;
  std::thread thread_;
};

}  // namespace rc::win32
