#pragma once
// The reader's port, \\.\COMn, opened exclusively with overlapped I/O. Each
// open has its own thread: it opens the port (a Bluetooth port connects inside
// the open and may take seconds) and posts how that went (kSerialOpened), waits
// for received bytes and posts them (kSerialReceived), posts the outcome of
// each write (kSerialWritten), which the user-interface thread starts itself,
// one at a time and in order, and when the device goes away posts kSerialLost.
// Each carries the number of its open, and goes to the port's own message-only
// window, which hands it to the port's events on the user-interface thread.
// That thread never waits on the device: not to open, write or close.

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

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
  bool IsOpen() const override { return io_ && opened_; }
  platform::SerialOpen current() const override { return opens_; }
  bool Responds() override;
  platform::Status Write(std::string_view bytes) override;

 private:
  platform::Status MakeEventsWindow();
  void OnOpened(platform::SerialOpen open);
  void StartWaitingWrites(platform::SerialOpen open);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  platform::SerialLineSettings line_;
  platform::SerialEvents* events_ = nullptr;
  OwnedWindow events_window_;
  platform::SerialOpen opens_ = 0;
  // The open in use, being opened or open; shared with its thread, which a
  // driver that never gives up a read or a write may keep past the close:
  // whichever of the two ends last frees it.
  std::shared_ptr<SerialIo> io_;
  bool opened_ = false;  // its open has been reported done
  // The open closed last, until the next open's thread has waited for its end.
  std::shared_ptr<SerialIo> previous_;
  std::deque<std::string> waiting_writes_;  // after the write under way
};

}  // namespace rc::win32
