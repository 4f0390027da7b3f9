#include "platform/win32/win32_serial_port.h"

#include <windows.h>

#include <deque>
#include <string>
#include <thread>
#include <utility>

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

// Why an open failed, as the program tells the cases apart.
platform::Status OpenFailure() {
  const DWORD code = ::GetLastError();
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return SystemFailure(code, "CreateFileW", platform::Error::PortMissing);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return SystemFailure(code, "CreateFileW", platform::Error::Busy);
    default:
      return SystemFailure(code, "CreateFileW");
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
  if (!::GetCommState(port, &dcb)) return LastSystemFailure("GetCommState");
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
  if (!::SetCommState(port, &dcb)) return LastSystemFailure("SetCommState");
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
constexpr DWORD kReportRetryMs = 20;

// A slim lock held for one scope: the queue of writes between the two threads.
class SrwGuard {
 public:
  explicit SrwGuard(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
  ~SrwGuard() { ::ReleaseSRWLockExclusive(&lock_); }
  SrwGuard(const SrwGuard&) = delete;
  SrwGuard& operator=(const SrwGuard&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace

// The events of one open, made on the user-interface thread so that a failure
// is Open's: the close's request, the thread's end, a write handed over, and
// the completion of the pending input and of the pending write.
struct SerialIoEvents {
  OwnedEvent stop, finished, wake, input_done, output_done;
};

// The I/O thread: it only moves bytes. It ends when `stop` is set, or after
// posting kSerialLost once when the port fails (device removed).
class SerialIo {
 public:
  SerialIo(HANDLE port, HWND window, platform::SerialOpen open, SerialIoEvents events)
      : port_(port), window_(window), open_(open), events_(std::move(events)) {}

  void Run() noexcept {
    const bool stopped = RunUntilDone() == Outcome::Stopped;
    EndWrite(stopped);
    if (!stopped) Lost();
    ::SetEvent(events_.finished.get());
  }
  void Stop() noexcept { ::SetEvent(events_.stop.get()); }
  // True once Run has returned; waits up to `ms` for it.
  bool WaitFinished(DWORD ms) noexcept { return ::WaitForSingleObject(events_.finished.get(), ms) == WAIT_OBJECT_0; }

  // From the user-interface thread: one write, after those handed over before.
  void Queue(std::string bytes) {
    {
      SrwGuard guard(lock_);
      queue_.push_back(std::move(bytes));
    }
    ::SetEvent(events_.wake.get());
  }

 private:
  enum class Outcome { Ok, Stopped, Failed };

  Outcome RunUntilDone() noexcept {
    for (;;) {
      // Everything that is waiting first, so nothing sits behind the next wait.
      Outcome outcome = Drain();
      if (outcome == Outcome::Ok) outcome = WaitForInput();
      if (outcome != Outcome::Ok) return outcome;
    }
  }

  void Lost() noexcept {
    if (Stopping()) return;  // our own close
    ::PostMessageW(window_, kSerialLost, open_, 0);
  }

  bool Stopping() noexcept { return ::WaitForSingleObject(events_.stop.get(), 0) == WAIT_OBJECT_0; }

  // Waits for the input operation on `ov`, serving the writes meanwhile, or for
  // the stop event, which cancels it. `count` receives the bytes moved.
  Outcome Complete(BOOL started, OVERLAPPED& ov, DWORD& count) noexcept {
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return Outcome::Failed;
    for (;;) {
      // Also when input keeps completing at once: output is never starved.
      ServeWrites();
      if (started) break;
      const HANDLE handles[] = {events_.stop.get(), ov.hEvent, events_.wake.get(), events_.output_done.get()};
      const DWORD count_waited = writing_ ? 4 : 3;
      const DWORD which = ::WaitForMultipleObjects(count_waited, handles, FALSE, WriteWaitLeft());
      if (which == WAIT_OBJECT_0 + 1) break;
      if (which == WAIT_OBJECT_0 + 2 || which == WAIT_OBJECT_0 + 3 || which == WAIT_TIMEOUT) continue;
      // A new mask ends a pending WaitCommEvent at once, also on drivers
      // that do not cancel a wait.
      ::SetCommMask(port_, 0);
      ::CancelIoEx(port_, &ov);
      if (writing_) ::CancelIoEx(port_, &write_ov_);
      ::GetOverlappedResult(port_, &ov, &count, TRUE);  // the OVERLAPPED stays ours until then
      return which == WAIT_OBJECT_0 ? Outcome::Stopped : Outcome::Failed;
    }
    if (!::GetOverlappedResult(port_, &ov, &count, FALSE)) return Outcome::Failed;
    return Outcome::Ok;
  }

  OVERLAPPED Fresh() noexcept {
    OVERLAPPED ov{};
    ::ResetEvent(events_.input_done.get());
    ov.hEvent = events_.input_done.get();
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
      if (Stopping()) return Outcome::Stopped;
      DWORD count = 0;
      OVERLAPPED ov = Fresh();
      const Outcome outcome = Complete(::ReadFile(port_, buffer_, kReadChunk, nullptr, &ov), ov, count);
      if (outcome != Outcome::Ok) return outcome;
      if (count == 0) return Outcome::Ok;
      Post(window_, open_, buffer_, count);
    }
  }

  // --- Output: one write at a time, in the order handed over.

  // Ends the write under way when it is done or overdue, then starts the next.
  void ServeWrites() noexcept {
    if (writing_) {
      if (::WaitForSingleObject(events_.output_done.get(), 0) == WAIT_OBJECT_0) {
        Written(0);
      } else if (WriteWaitLeft() == 0) {
        // The driver ignores the write timeout (the device is going away).
        ::CancelIoEx(port_, &write_ov_);
        Written(WAIT_TIMEOUT);
      }
    }
    while (!writing_ && TakeNext()) {
      write_ov_ = {};
      ::ResetEvent(events_.output_done.get());
      write_ov_.hEvent = events_.output_done.get();
      writing_ = true;
      write_started_ = ::GetTickCount64();
      if (!::WriteFile(port_, bytes_.data(), static_cast<DWORD>(bytes_.size()), nullptr, &write_ov_)) {
        if (const DWORD code = ::GetLastError(); code != ERROR_IO_PENDING) {
          writing_ = false;
          Report(code != 0 ? code : static_cast<DWORD>(ERROR_WRITE_FAULT));
        }
      }
      // Done at once, or pending: either way its event says so.
    }
  }

  // Collects the write's result (waiting for a cancelled one to complete) and
  // reports it; `failure` stands for anything short of every byte.
  void Written(DWORD failure) noexcept {
    DWORD count = 0;
    const BOOL done = ::GetOverlappedResult(port_, &write_ov_, &count, TRUE);
    DWORD code = 0;
    if (!done || count != bytes_.size()) {
      code = failure != 0 ? failure : !done ? ::GetLastError() : 0;
      if (code == 0) code = ERROR_WRITE_FAULT;  // short: the timeout ended it
    }
    writing_ = false;
    Report(code);
  }

  // At the thread's end: a write still under way is cancelled, and reported
  // unless the port is being closed (then nobody waits for it).
  void EndWrite(bool stopped) noexcept {
    if (!writing_) return;
    ::CancelIoEx(port_, &write_ov_);
    DWORD count = 0;
    ::GetOverlappedResult(port_, &write_ov_, &count, TRUE);  // the OVERLAPPED stays ours until then
    writing_ = false;
    if (!stopped) Report(count == bytes_.size() ? 0 : static_cast<DWORD>(ERROR_WRITE_FAULT));
  }

  // The link answers nothing more until it hears how a write went: a queue that
  // is full (the user-interface thread busy, not gone) is given time to drain.
  void Report(DWORD code) noexcept {
    for (DWORD waited = 0; !::PostMessageW(window_, kSerialWritten, open_, static_cast<LPARAM>(code));
         waited += kReportRetryMs) {
      if (waited >= kCloseWaitMs || ::WaitForSingleObject(events_.stop.get(), kReportRetryMs) == WAIT_OBJECT_0) return;
    }
  }

  bool TakeNext() noexcept {
    SrwGuard guard(lock_);
    if (queue_.empty()) return false;
    bytes_ = std::move(queue_.front());
    queue_.pop_front();
    return true;
  }

  // How long the wait may last before the write under way is overdue.
  DWORD WriteWaitLeft() const noexcept {
    if (!writing_) return INFINITE;
    const ULONGLONG waited = ::GetTickCount64() - write_started_;
    return waited >= kWriteWaitMs ? 0 : static_cast<DWORD>(kWriteWaitMs - waited);
  }

  HANDLE port_;
  HWND window_;
  platform::SerialOpen open_;
  SerialIoEvents events_;
  char buffer_[kReadChunk];

  SRWLOCK lock_ = SRWLOCK_INIT;
  std::deque<std::string> queue_;  // under lock_
  // The write under way: its bytes and OVERLAPPED stay until it completes.
  std::string bytes_;
  OVERLAPPED write_ov_{};
  bool writing_ = false;
  ULONGLONG write_started_ = 0;
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
  if (!::SetupComm(port.get(), line_.receive_buffer, line_.transmit_buffer)) return LastSystemFailure("SetupComm");
  if (platform::Status status = ApplyLine(port.get(), line_); !status.ok()) return status;
  // Reads return at once with whatever is waiting, even nothing.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
  if (!::SetCommTimeouts(port.get(), &timeouts)) return LastSystemFailure("SetCommTimeouts");
  if (!::SetCommMask(port.get(), EV_RXCHAR)) return LastSystemFailure("SetCommMask");
  ::PurgeComm(port.get(), PURGE_RXCLEAR | PURGE_TXCLEAR);

  SerialIoEvents io_events{OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))};
  if (!io_events.stop || !io_events.finished || !io_events.wake || !io_events.input_done || !io_events.output_done) {
    return LastSystemFailure("CreateEventW");
  }
  const platform::SerialOpen open = opens_ + 1;
  try {
    auto io = std::make_shared<SerialIo>(port.get(), events_window_.get(), open, std::move(io_events));
    thread_ = std::thread([io] { io->Run(); });
    io_ = std::move(io);
  } catch (...) {
    return SystemFailure(ERROR_NOT_ENOUGH_MEMORY, "CreateThread");
  }
  opens_ = open;
  port_ = std::move(port);
  return platform::Status::Ok();
}

platform::Status Win32SerialPort::Close() {
  if (!port_) return platform::Status::Failed(platform::Error::Other);
  if (io_) {
    io_->Stop();
    // The user-interface thread never waits long on a driver: one that keeps
    // a cancelled read or write is left to the thread, which ends whenever it
    // returns and frees what it shares last.
    if (io_->WaitFinished(kCloseWaitMs)) {
      thread_.join();
    } else {
      thread_.detach();
    }
    io_.reset();
  }
  // Closing the handle drops RTS and DTR (and cancels what a stuck driver still holds).
  const BOOL closed = ::CloseHandle(port_.release());
  return closed ? platform::Status::Ok() : LastSystemFailure("CloseHandle");
}

// Handed to the I/O thread; its outcome comes back as kSerialWritten.
platform::Status Win32SerialPort::Write(std::string_view bytes) {
  if (!port_ || !io_) return platform::Status::Failed(platform::Error::WriteFailed);
  try {
    io_->Queue(std::string(bytes));
  } catch (...) {
    return SystemFailure(ERROR_NOT_ENOUGH_MEMORY, "WriteFile", platform::Error::WriteFailed);
  }
  return platform::Status::Ok();
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
  return events_window_ ? platform::Status::Ok() : LastSystemFailure("CreateWindowExW");
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
    if (message == kSerialWritten) {
      if (self != nullptr && self->events_ != nullptr) {
        const auto code = static_cast<std::uint32_t>(lparam);
        self->events_->OnSerialWritten(
            static_cast<platform::SerialOpen>(wparam),
            code == 0 ? platform::Status::Ok() : SystemFailure(code, "WriteFile", platform::Error::WriteFailed));
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
