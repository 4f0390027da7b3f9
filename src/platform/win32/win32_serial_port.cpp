#include "platform/win32/win32_serial_port.h"

#include <windows.h>

#include <string>
#include <thread>

#include "platform/win32/app_messages.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {

// "\\.\COMn": the device namespace, which names above COM9 need.
std::wstring DevicePath(std::wstring_view port_name) { return L"\\\\.\\" + std::wstring(port_name); }
// A reply is 16 bytes, a few milliseconds at 9600 baud; a write that takes
// longer than this is stuck (the device is going away) and is abandoned.
constexpr DWORD kWriteWaitMs = 1000;
constexpr DWORD kReadChunk = 1024;

platform::Status LastError() { return platform::Status::Failed(::GetLastError()); }

BYTE Parity(char parity) {
  switch (parity) {
    case 'e': return EVENPARITY;
    case 'o': return ODDPARITY;
    case 'm': return MARKPARITY;
    case 's': return SPACEPARITY;
    default: return NOPARITY;
  }
}

platform::Status ApplyLine(HANDLE port, const platform::SerialLineSettings& line) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(port, &dcb)) return LastError();
  dcb.BaudRate = line.baud;
  dcb.fBinary = TRUE;
  dcb.Parity = Parity(line.parity);
  dcb.fParity = dcb.Parity != NOPARITY;
  dcb.ByteSize = line.data_bits;
  dcb.StopBits = line.stop_bits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  dcb.fOutxCtsFlow = line.flow_control;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = line.flow_control ? RTS_CONTROL_HANDSHAKE : line.rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  dcb.fDtrControl = line.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb.fNull = FALSE;
  // Line errors must not stop reading until ClearCommError: a framing error
  // from a reader switched on mid-byte would otherwise end the link.
  dcb.fAbortOnError = FALSE;
  if (!::SetCommState(port, &dcb)) return LastError();
  return platform::Status::Ok();
}

// Hands the bytes to the start-up window; the window deletes them. If the
// window is gone the bytes go with it.
void Post(HWND window, const char* bytes, DWORD count) noexcept {
  try {
    auto* text = new std::string(bytes, count);
    if (!::PostMessageW(window, kSerialReceived, 0, reinterpret_cast<LPARAM>(text))) delete text;
  } catch (...) {
  }
}

// The I/O thread: it only moves bytes. It ends when `stop` is set, or after
// posting kSerialLost once when the port fails (device removed).
class Reader {
 public:
  Reader(HANDLE port, HANDLE stop, HWND window) : port_(port), stop_(stop), window_(window) {}

  void Run() noexcept {
    OwnedEvent done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return Lost();
    done_ = done.get();
    for (;;) {
      // Everything that is waiting first, so nothing sits behind the next wait.
      Outcome outcome = Drain();
      if (outcome == Outcome::Ok) outcome = WaitForInput();
      if (outcome == Outcome::Stopped) return;
      if (outcome == Outcome::Failed) return Lost();
    }
  }

 private:
  enum class Outcome { Ok, Stopped, Failed };

  void Lost() noexcept {
    if (::WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return;  // our own close
    ::PostMessageW(window_, kSerialLost, 0, 0);
  }

  // Waits for the overlapped operation on `ov`, or for the stop event, which
  // cancels it. `count` receives the bytes moved.
  Outcome Complete(BOOL started, OVERLAPPED& ov, DWORD& count) noexcept {
    if (!started) {
      if (::GetLastError() != ERROR_IO_PENDING) return Outcome::Failed;
      const HANDLE handles[2] = {stop_, ov.hEvent};
      const DWORD which = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
      if (which != WAIT_OBJECT_0 + 1) {
        // A new mask ends a pending WaitCommEvent at once, also on drivers
        // that do not cancel a wait.
        ::SetCommMask(port_, 0);
        ::CancelIoEx(port_, &ov);
        ::GetOverlappedResult(port_, &ov, &count, TRUE);  // the OVERLAPPED stays ours until then
        return which == WAIT_OBJECT_0 ? Outcome::Stopped : Outcome::Failed;
      }
    }
    if (!::GetOverlappedResult(port_, &ov, &count, FALSE)) return Outcome::Failed;
    return Outcome::Ok;
  }

  OVERLAPPED Fresh() noexcept {
    OVERLAPPED ov{};
    ::ResetEvent(done_);
    ov.hEvent = done_;
    return ov;
  }

  Outcome WaitForInput() noexcept {
    DWORD mask = 0;
    OVERLAPPED ov = Fresh();
    DWORD unused = 0;
    const Outcome outcome = Complete(::WaitCommEvent(port_, &mask, &ov), ov, unused);
    if (outcome != Outcome::Ok) return outcome;
    // Clears line errors so reading goes on; failing here means the device is gone.
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(port_, &errors, &status)) return Outcome::Failed;
    return Outcome::Ok;
  }

  // Reads until nothing more is waiting; the timeouts make each read return at
  // once with what is there. (Wine instead keeps a read with nothing there
  // pending until a byte arrives; the wait in Complete covers both.)
  Outcome Drain() noexcept {
    for (;;) {
      if (::WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return Outcome::Stopped;
      DWORD count = 0;
      OVERLAPPED ov = Fresh();
      const Outcome outcome = Complete(::ReadFile(port_, buffer_, kReadChunk, nullptr, &ov), ov, count);
      if (outcome != Outcome::Ok) return outcome;
      if (count == 0) return Outcome::Ok;
      Post(window_, buffer_, count);
    }
  }

  HANDLE port_;
  HANDLE stop_;
  HWND window_;
  HANDLE done_ = nullptr;
  char buffer_[kReadChunk];
};

class Win32SerialPort final : public platform::SerialPort {
 public:
  explicit Win32SerialPort(Win32Platform& platform) : platform_(platform) {}
  ~Win32SerialPort() override { (void)Close(); }

  platform::Status Configure(const platform::SerialLineSettings& settings) override {
    line_ = settings;
    if (!port_) return platform::Status::Ok();
    return ApplyLine(port_.get(), line_);
  }

  platform::Status Open(std::wstring_view port_name) override {
    if (port_) return platform::Status::Failed(ERROR_ACCESS_DENIED);  // already open
    // Exclusive: no other program may hold the reader while we do.
    OwnedFile port(::CreateFileW(DevicePath(port_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr));
    if (!port) return LastError();
    if (!::SetupComm(port.get(), line_.receive_buffer, line_.transmit_buffer)) return LastError();
    if (platform::Status status = ApplyLine(port.get(), line_); !status.ok()) return status;
    // Reads return at once with whatever is waiting, even nothing.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
    if (!::SetCommTimeouts(port.get(), &timeouts)) return LastError();
    if (!::SetCommMask(port.get(), EV_RXCHAR)) return LastError();
    ::PurgeComm(port.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);

    OwnedEvent stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OwnedEvent written(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop || !written) return LastError();
    try {
      auto reader = std::make_unique<Reader>(port.get(), stop.get(), platform_.startup_window());
      thread_ = std::thread([r = reader.get()] { r->Run(); });
      reader_ = std::move(reader);
    } catch (...) {
      return platform::Status::Failed(ERROR_NOT_ENOUGH_MEMORY);
    }
    port_ = std::move(port);
    stop_ = std::move(stop);
    written_ = std::move(written);
    return platform::Status::Ok();
  }

  platform::Status Close() override {
    if (!port_) return platform::Status::Failed(ERROR_INVALID_HANDLE);
    ::SetEvent(stop_.get());
    if (thread_.joinable()) thread_.join();
    reader_.reset();
    // Closing the handle drops RTS and DTR.
    const BOOL closed = ::CloseHandle(port_.release());
    stop_.reset();
    written_.reset();
    return closed ? platform::Status::Ok() : LastError();
  }

  bool IsOpen() const override { return static_cast<bool>(port_); }

  // The whole reply in one write; waits briefly for it to leave.
  platform::Status Write(std::string_view bytes) override {
    if (!port_) return platform::Status::Failed(ERROR_INVALID_HANDLE);
    OVERLAPPED ov{};
    ::ResetEvent(written_.get());
    ov.hEvent = written_.get();
    DWORD count = 0;
    if (!::WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov)) {
      if (::GetLastError() != ERROR_IO_PENDING) return LastError();
      if (::WaitForSingleObject(ov.hEvent, kWriteWaitMs) != WAIT_OBJECT_0) {
        ::CancelIoEx(port_.get(), &ov);
        ::GetOverlappedResult(port_.get(), &ov, &count, TRUE);
        return platform::Status::Failed(WAIT_TIMEOUT);
      }
    }
    if (!::GetOverlappedResult(port_.get(), &ov, &count, FALSE)) return LastError();
    return count == bytes.size() ? platform::Status::Ok() : platform::Status::Failed(ERROR_WRITE_FAULT);
  }

 private:
  Win32Platform& platform_;
  platform::SerialLineSettings line_;
  OwnedFile port_;
  OwnedEvent stop_;
  OwnedEvent written_;
  std::unique_ptr<Reader> reader_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<platform::SerialPort> MakeReaderPort(Win32Platform& platform) {
  return std::make_unique<Win32SerialPort>(platform);
}

}  // namespace rc::win32
