#include "platform/win32/win32_serial_port.h"

#include <windows.h>

#include <string>
#include <thread>

#include "platform/win32/app_messages.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_window.h"

namespace rc::win32 {

namespace {

// "\\.\COMn": the device namespace, which names above COM9 need.
std::wstring DevicePath(std::wstring_view port_name) { return L"\\\\.\\" + std::wstring(port_name); }
// A reply is 16 bytes, a few milliseconds at 9600 baud; a write that takes
// longer than this is stuck (the device is going away) and is abandoned.
constexpr DWORD kWriteWaitMs = 1000;
constexpr DWORD kReadChunk = 1024;

platform::Status LastError(platform::Error kind = platform::Error::Other) { return LastSystemFailure(kind); }

// Why an open failed, as the program tells the cases apart.
platform::Status OpenFailure() {
  const DWORD code = ::GetLastError();
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return SystemFailure(code, platform::Error::PortMissing);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return SystemFailure(code, platform::Error::Busy);
    default:
      return SystemFailure(code);
  }
}

BYTE Parity(char parity) {
  switch (parity) {
    case 'e':
      return EVENPARITY;
    case 'o':
      return ODDPARITY;
    case 'm':
      return MARKPARITY;
    case 's':
      return SPACEPARITY;
    default:
      return NOPARITY;
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

// Hands the bytes, with the time they were read, to the port's window; the
// window deletes them. If the window is gone the bytes go with it.
void Post(HWND window, platform::SerialOpen open, const char* bytes, DWORD count) noexcept {
  try {
    auto* received = new ReceivedBytes{std::string(bytes, count), static_cast<std::int64_t>(::GetTickCount64())};
    if (!::PostMessageW(window, kSerialReceived, open, reinterpret_cast<LPARAM>(received))) delete received;
  } catch (...) {
  }
}

// A close waits this long for the I/O thread to give up its read; a driver
// that never completes a cancelled read is left behind with the thread.
constexpr DWORD kCloseWaitMs = 2000;

}  // namespace

// The I/O thread: it only moves bytes. It ends when `stop` is set, or after
// posting kSerialLost once when the port fails (device removed).
class SerialReader {
 public:
  SerialReader(HANDLE port, HWND window, platform::SerialOpen open, OwnedEvent stop, OwnedEvent finished)
      : port_(port), window_(window), open_(open), stop_(std::move(stop)), finished_(std::move(finished)) {}

  void Run() noexcept {
    RunUntilDone();
    ::SetEvent(finished_.get());
  }
  void Stop() noexcept { ::SetEvent(stop_.get()); }
  // True once Run has returned; waits up to `ms` for it.
  bool WaitFinished(DWORD ms) noexcept { return ::WaitForSingleObject(finished_.get(), ms) == WAIT_OBJECT_0; }

 private:
  enum class Outcome { Ok, Stopped, Failed };

  void RunUntilDone() noexcept {
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

  void Lost() noexcept {
    if (::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) return;  // our own close
    ::PostMessageW(window_, kSerialLost, open_, 0);
  }

  // Waits for the overlapped operation on `ov`, or for the stop event, which
  // cancels it. `count` receives the bytes moved.
  Outcome Complete(BOOL started, OVERLAPPED& ov, DWORD& count) noexcept {
    if (!started) {
      if (::GetLastError() != ERROR_IO_PENDING) return Outcome::Failed;
      const HANDLE handles[2] = {stop_.get(), ov.hEvent};
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
      if (::WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) return Outcome::Stopped;
      DWORD count = 0;
      OVERLAPPED ov = Fresh();
      const Outcome outcome = Complete(::ReadFile(port_, buffer_, kReadChunk, nullptr, &ov), ov, count);
      if (outcome != Outcome::Ok) return outcome;
      if (count == 0) return Outcome::Ok;
      Post(window_, open_, buffer_, count);
    }
  }

  HANDLE port_;
  HWND window_;
  platform::SerialOpen open_;
  OwnedEvent stop_;
  OwnedEvent finished_;
  HANDLE done_ = nullptr;
  char buffer_[kReadChunk];
};

namespace {
constexpr wchar_t kEventsWindowClass[] = L"Reticor2SerialEvents";
}  // namespace

Win32SerialPort::Win32SerialPort() = default;
Win32SerialPort::~Win32SerialPort() { (void)Close(); }

platform::Status Win32SerialPort::Configure(const platform::SerialLineSettings& settings) {
  line_ = settings;
  if (!port_) return platform::Status::Ok();
  return ApplyLine(port_.get(), line_);
}

platform::Status Win32SerialPort::Open(std::wstring_view port_name, platform::SerialEvents& events) {
  if (port_) return platform::Status::Failed(platform::Error::Busy);  // already open
  events_ = &events;
  if (platform::Status status = MakeEventsWindow(); !status.ok()) return status;
  // Exclusive: no other program may hold the reader while we do.
  OwnedFile port(::CreateFileW(DevicePath(port_name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
  if (!port) return OpenFailure();
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
  OwnedEvent finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  OwnedEvent written(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop || !finished || !written) return LastError();
  const platform::SerialOpen open = opens_ + 1;
  try {
    auto reader =
        std::make_shared<SerialReader>(port.get(), events_window_.get(), open, std::move(stop), std::move(finished));
    thread_ = std::thread([reader] { reader->Run(); });
    reader_ = std::move(reader);
  } catch (...) {
    return SystemFailure(ERROR_NOT_ENOUGH_MEMORY);
  }
  opens_ = open;
  port_ = std::move(port);
  written_ = std::move(written);
  return platform::Status::Ok();
}

platform::Status Win32SerialPort::Close() {
  if (!port_) return platform::Status::Failed(platform::Error::Other);
  if (reader_) {
    reader_->Stop();
    // The user-interface thread never waits long on a driver: one that keeps
    // a cancelled read is left to the thread, which ends whenever it returns.
    if (reader_->WaitFinished(kCloseWaitMs)) {
      thread_.join();
    } else {
      thread_.detach();
    }
    reader_.reset();
  }
  // Closing the handle drops RTS and DTR (and cancels what a stuck driver still holds).
  const BOOL closed = ::CloseHandle(port_.release());
  written_.reset();
  return closed ? platform::Status::Ok() : LastError();
}

// The whole reply in one write; waits briefly for it to leave.
platform::Status Win32SerialPort::Write(std::string_view bytes) {
  if (!port_) return platform::Status::Failed(platform::Error::WriteFailed);
  OVERLAPPED ov{};
  ::ResetEvent(written_.get());
  ov.hEvent = written_.get();
  DWORD count = 0;
  if (!::WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov)) {
    if (::GetLastError() != ERROR_IO_PENDING) return LastError(platform::Error::WriteFailed);
    if (::WaitForSingleObject(ov.hEvent, kWriteWaitMs) != WAIT_OBJECT_0) {
      ::CancelIoEx(port_.get(), &ov);
      ::GetOverlappedResult(port_.get(), &ov, &count, TRUE);
      return SystemFailure(WAIT_TIMEOUT, platform::Error::WriteFailed);
    }
  }
  if (!::GetOverlappedResult(port_.get(), &ov, &count, FALSE)) return LastError(platform::Error::WriteFailed);
  return count == bytes.size() ? platform::Status::Ok()
                               : SystemFailure(ERROR_WRITE_FAULT, platform::Error::WriteFailed);
}

bool Win32SerialPort::Responds() {
  if (!port_) return false;
  DWORD errors = 0;
  COMSTAT status{};
  DWORD modem = 0;
  return ::ClearCommError(port_.get(), &errors, &status) && ::GetCommModemStatus(port_.get(), &modem);
}

// A message-only window: it hears the I/O thread's posts on the user-interface thread.
platform::Status Win32SerialPort::MakeEventsWindow() {
  if (!events_window_) events_window_ = MakeMessageWindow(kEventsWindowClass, &Win32SerialPort::Procedure, this);
  return events_window_ ? platform::Status::Ok() : LastError();
}

LRESULT CALLBACK Win32SerialPort::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32SerialPort*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // An exception must never unwind into the system's dispatch.
  try {
    if (message == kSerialReceived) {
      std::unique_ptr<ReceivedBytes> received(reinterpret_cast<ReceivedBytes*>(lparam));
      if (self != nullptr && self->events_ != nullptr && received) {
        self->events_->OnSerialReceived(static_cast<platform::SerialOpen>(wparam), received->bytes, received->read_ms);
      }
      return 0;
    }
    if (message == kSerialLost) {
      if (self != nullptr && self->events_ != nullptr) {
        self->events_->OnSerialLost(static_cast<platform::SerialOpen>(wparam));
      }
      return 0;
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace rc::win32
