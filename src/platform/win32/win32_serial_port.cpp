#include "platform/win32/win32_serial_port.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
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
    // An outgoing Bluetooth port connects inside CreateFile: with the reader
    // switched off or out of range it gives up after some seconds with one of
    // these. The device is there, just not reachable now.
    case ERROR_SEM_TIMEOUT:
    case ERROR_GEN_FAILURE:
      return SystemFailure(code, "CreateFileW", platform::Error::Unreachable);
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

// A close leaves the thread this long to close the handle of the open before
// it, before a new open of the same port goes ahead (and, should a driver keep
// its cancelled I/O that long, finds the port busy and is tried again).
constexpr DWORD kPreviousCloseWaitMs = 2000;
// An outcome the port's window cannot take now (its queue full: the
// user-interface thread busy, not gone) is posted again this often, until the
// open is closed: the link waits for every outcome.
constexpr DWORD kPostRetryMs = 20;
// The thread only moves bytes and waits; a small stack is plenty.
constexpr SIZE_T kThreadStackBytes = 64 * 1024;

}  // namespace

// The events of one open, made on the user-interface thread so that a failure
// is Open's: the close's request, the thread's end, a wake-up, and the
// completion of the pending input and of the pending write.
struct SerialIoEvents {
  OwnedEvent stop, finished, wake, input_done, output_done;
};

// One open of the port. Its thread opens the handle (which may take seconds on
// a Bluetooth port), reads, collects the outcome of each write, and at the end
// cancels everything and closes the handle: it alone closes it. Windows gives a
// closed handle's value to the next open at once, so a handle closed while
// the other thread could still use it would let that thread act on another
// device (a lost receive mask, a stale reply). The user-interface thread uses
// the handle only between the open's report and its Stop, starting writes
// itself so that a reply leaves without a thread hand-over; after Stop it never
// touches it again, and the thread, which may outlive the close with a driver
// that holds its cancelled I/O, keeps what it shares alive.
class SerialIo {
 public:
  SerialIo(std::wstring path, const platform::SerialLineSettings& line, HWND window, platform::SerialOpen open,
           SerialIoEvents events, std::shared_ptr<SerialIo> previous)
      : path_(std::move(path)),
        line_(line),
        window_(window),
        open_(open),
        events_(std::move(events)),
        previous_(std::move(previous)) {}

  platform::SerialOpen open() const { return open_; }

  // --- The port's thread.

  void Run() noexcept {
    // The open before this one closes its handle first: an exclusive port is
    // not free before.
    if (previous_) {
      (void)previous_->WaitFinished(kPreviousCloseWaitMs);
      previous_.reset();
    }
    if (!Stopping()) {
      HANDLE port = INVALID_HANDLE_VALUE;
      open_status_ = OpenHandle(port);
      if (open_status_.ok() && Stopping()) open_status_ = platform::Status::Failed(platform::Error::Other);
      if (open_status_.ok()) {
        port_.store(port, std::memory_order_release);
        PostUntilStopped(kSerialOpened, 0);
        if (RunUntilDone() == Outcome::Failed) {
          // The device is gone. The handle stays open, and this thread waits,
          // until the close: the user-interface thread may still write to it.
          PostUntilStopped(kSerialLost, 0);
          ::WaitForSingleObject(events_.stop.get(), INFINITE);
        }
        EndWrite();
      } else {
        PostUntilStopped(kSerialOpened, 0);
      }
      if (port != INVALID_HANDLE_VALUE) ::CloseHandle(port);  // drops RTS and DTR
    }
    ::SetEvent(events_.finished.get());
  }

  // --- The user-interface thread.

  // Ends the open: the thread cancels what is under way, closes the handle and
  // ends. Nothing waits for it here.
  void Stop() noexcept { ::SetEvent(events_.stop.get()); }
  bool WaitFinished(DWORD ms) noexcept { return ::WaitForSingleObject(events_.finished.get(), ms) == WAIT_OBJECT_0; }
  // How the open went; read once it has been reported.
  const platform::Status& open_status() const { return open_status_; }
  // The open handle; only between the report of the open and Stop.
  HANDLE handle() const { return port_.load(std::memory_order_acquire); }

  bool writing() const { return writing_.load(std::memory_order_acquire); }
  // Starts one write now, on this thread: an overlapped WriteFile returns at
  // once, done or pending, and the port's thread collects its outcome. Fails
  // at once when the system refuses it.
  platform::Status StartWrite(std::string_view bytes) {
    write_bytes_.assign(bytes);
    // Its event is down: the last collection reset it (and the system does as
    // the write starts). No call stands before the write.
    write_ov_ = {};
    write_ov_.hEvent = events_.output_done.get();
    write_started_ = ::GetTickCount64();
    writing_.store(true, std::memory_order_release);
    if (!::WriteFile(handle(), write_bytes_.data(), static_cast<DWORD>(write_bytes_.size()), nullptr, &write_ov_)) {
      const DWORD code = ::GetLastError();
      if (code != ERROR_IO_PENDING) {
        writing_.store(false, std::memory_order_release);
        return SystemFailure(code, "WriteFile", platform::Error::WriteFailed);
      }
      // The thread's wait learns that a write is under way and when it is overdue.
      ::SetEvent(events_.wake.get());
    }
    return platform::Status::Ok();
  }

 private:
  enum class Outcome { Ok, Stopped, Failed };

  platform::Status OpenHandle(HANDLE& port) noexcept {
    // Exclusive: no other program may hold the reader while we do.
    port = ::CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                         nullptr);
    if (port == INVALID_HANDLE_VALUE) return OpenFailure();
    if (!::SetupComm(port, line_.receive_buffer, line_.transmit_buffer)) return LastSystemFailure("SetupComm");
    if (platform::Status status = ApplyLine(port, line_); !status.ok()) return status;
    // Reads return at once with whatever is waiting, even nothing.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteWaitMs;
    if (!::SetCommTimeouts(port, &timeouts)) return LastSystemFailure("SetCommTimeouts");
    if (!::SetCommMask(port, EV_RXCHAR)) return LastSystemFailure("SetCommMask");
    ::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return platform::Status::Ok();
  }

  Outcome RunUntilDone() noexcept {
    for (;;) {
      // Everything that is waiting first, so nothing sits behind the next wait.
      Outcome outcome = Drain();
      if (outcome == Outcome::Ok) outcome = WaitForInput();
      if (outcome != Outcome::Ok) return outcome;
    }
  }

  bool Stopping() const noexcept { return ::WaitForSingleObject(events_.stop.get(), 0) == WAIT_OBJECT_0; }

  // Posts to the port's window until it takes the message or the open is
  // closed; false when it never did.
  bool PostUntilStopped(UINT message, LPARAM lparam) noexcept {
    while (!::PostMessageW(window_, message, open_, lparam)) {
      if (::WaitForSingleObject(events_.stop.get(), kPostRetryMs) == WAIT_OBJECT_0) return false;
    }
    return true;
  }

  // Hands the bytes, with the time they were read, to the port's window; the
  // window deletes them. If they cannot be handed over they go.
  void PostBytes(const char* bytes, DWORD count) noexcept {
    try {
      auto* received = new ReceivedBytes{std::string(bytes, count), static_cast<std::int64_t>(::GetTickCount64())};
      if (!PostUntilStopped(kSerialReceived, reinterpret_cast<LPARAM>(received))) delete received;
    } catch (...) {
    }
  }

  // Waits for the input operation on `ov`, collecting the writes meanwhile, or
  // for the stop event, which cancels it. `count` receives the bytes moved.
  Outcome Complete(BOOL started, OVERLAPPED& ov, DWORD& count) noexcept {
    const HANDLE port = handle();
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return Outcome::Failed;
    for (;;) {
      // Also when input keeps completing at once: no outcome is kept waiting.
      CollectWrite();
      if (started) break;
      const HANDLE handles[] = {events_.stop.get(), ov.hEvent, events_.wake.get(), events_.output_done.get()};
      const DWORD which = ::WaitForMultipleObjects(4, handles, FALSE, WriteWaitLeft());
      if (which == WAIT_OBJECT_0 + 1) break;
      if (which == WAIT_OBJECT_0 + 2 || which == WAIT_OBJECT_0 + 3 || which == WAIT_TIMEOUT) continue;
      // A new mask ends a pending WaitCommEvent at once, also on drivers
      // that do not cancel a wait.
      ::SetCommMask(port, 0);
      ::CancelIoEx(port, &ov);
      ::GetOverlappedResult(port, &ov, &count, TRUE);  // the OVERLAPPED stays ours until then
      return which == WAIT_OBJECT_0 ? Outcome::Stopped : Outcome::Failed;
    }
    if (!::GetOverlappedResult(port, &ov, &count, FALSE)) return Outcome::Failed;
    return Outcome::Ok;
  }

  // The system also resets the event as the operation starts; this reset stays
  // all the same. Without it the next read is set up just as the user-interface
  // thread starts the reply, and under Wine both then queue at the server: the
  // reply measured later (BENCHMARKS.md).
  OVERLAPPED Fresh() const noexcept {
    OVERLAPPED ov{};
    ::ResetEvent(events_.input_done.get());
    ov.hEvent = events_.input_done.get();
    return ov;
  }

  Outcome WaitForInput() noexcept {
    DWORD mask = 0;
    OVERLAPPED ov = Fresh();
    DWORD unused = 0;
    const Outcome outcome = Complete(::WaitCommEvent(handle(), &mask, &ov), ov, unused);
    if (outcome != Outcome::Ok) return outcome;
    // Clears line errors so reading goes on; failing here means the device is gone.
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle(), &errors, &status)) return Outcome::Failed;
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
      const Outcome outcome = Complete(::ReadFile(handle(), buffer_, kReadChunk, nullptr, &ov), ov, count);
      if (outcome != Outcome::Ok) return outcome;
      if (count == 0) return Outcome::Ok;
      PostBytes(buffer_, count);
    }
  }

  // --- Output: started by the user-interface thread, one at a time.

  // Reports the write under way once it is done, or cancels it when it is
  // overdue (a driver that ignores the write timeout: the device is going away).
  void CollectWrite() noexcept {
    if (!writing()) return;
    const bool done = ::WaitForSingleObject(events_.output_done.get(), 0) == WAIT_OBJECT_0;
    if (!done && WriteWaitLeft() > 0) return;
    if (!done) ::CancelIoEx(handle(), &write_ov_);
    DWORD count = 0;
    const BOOL written = ::GetOverlappedResult(handle(), &write_ov_, &count, TRUE);  // a cancelled one too
    DWORD code = 0;
    if (!written || count != write_bytes_.size()) {
      code = !done ? static_cast<DWORD>(WAIT_TIMEOUT) : !written ? ::GetLastError() : 0;
      if (code == 0) code = ERROR_WRITE_FAULT;  // short: the timeout ended it
    }
    ::ResetEvent(events_.output_done.get());
    // Before the report: the next write may start as soon as it is read.
    writing_.store(false, std::memory_order_release);
    PostUntilStopped(kSerialWritten, static_cast<LPARAM>(code));
  }

  // At the open's end: a write still under way is cancelled and waited for (its
  // OVERLAPPED and bytes are ours until then); nobody waits for its outcome.
  void EndWrite() noexcept {
    if (!writing()) return;
    ::CancelIoEx(handle(), &write_ov_);
    DWORD count = 0;
    ::GetOverlappedResult(handle(), &write_ov_, &count, TRUE);
    writing_.store(false, std::memory_order_release);
  }

  // How long the wait may last before the write under way is overdue.
  DWORD WriteWaitLeft() const noexcept {
    if (!writing()) return INFINITE;
    const ULONGLONG waited = ::GetTickCount64() - write_started_;
    return waited >= kWriteWaitMs ? 0 : static_cast<DWORD>(kWriteWaitMs - waited);
  }

  const std::wstring path_;
  const platform::SerialLineSettings line_;
  const HWND window_;
  const platform::SerialOpen open_;
  SerialIoEvents events_;
  std::shared_ptr<SerialIo> previous_;  // the open before, until its handle is closed
  platform::Status open_status_;        // written before kSerialOpened is posted
  std::atomic<HANDLE> port_{nullptr};   // published before kSerialOpened is posted
  char buffer_[kReadChunk];
  // The write under way: started by the user-interface thread, collected by
  // the port's thread; `writing_` hands it from one to the other.
  std::string write_bytes_;
  OVERLAPPED write_ov_{};
  ULONGLONG write_started_ = 0;
  std::atomic<bool> writing_{false};
};

namespace {
constexpr wchar_t kEventsWindowClass[] = L"Reticor2SerialEvents";

DWORD WINAPI RunSerialIo(void* parameter) {
  // The thread's share of the open, freed when the thread ends.
  const std::unique_ptr<std::shared_ptr<SerialIo>> io(static_cast<std::shared_ptr<SerialIo>*>(parameter));
  (*io)->Run();
  return 0;
}
}  // namespace

Win32SerialPort::Win32SerialPort() = default;
Win32SerialPort::~Win32SerialPort() { (void)Close(); }

platform::Status Win32SerialPort::Configure(const platform::SerialLineSettings& settings) {
  line_ = settings;
  if (!IsOpen()) return platform::Status::Ok();
  return ApplyLine(io_->handle(), line_);
}

platform::Status Win32SerialPort::Open(std::wstring_view port_name, platform::SerialEvents& events) {
  if (io_) return platform::Status::Failed(platform::Error::Busy);  // open, or being opened
  events_ = &events;
  if (platform::Status status = MakeEventsWindow(); !status.ok()) return status;
  SerialIoEvents io_events{OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                           OwnedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))};
  if (!io_events.stop || !io_events.finished || !io_events.wake || !io_events.input_done || !io_events.output_done) {
    return LastSystemFailure("CreateEventW");
  }
  const platform::SerialOpen open = opens_ + 1;
  std::shared_ptr<SerialIo> io;
  std::unique_ptr<std::shared_ptr<SerialIo>> thread_share;
  try {
    io = std::make_shared<SerialIo>(DevicePath(port_name), line_, events_window_.get(), open, std::move(io_events),
                                    previous_);
    thread_share = std::make_unique<std::shared_ptr<SerialIo>>(io);
  } catch (...) {
    return SystemFailure(ERROR_NOT_ENOUGH_MEMORY, "CreateThread");
  }
  const HANDLE thread = ::CreateThread(nullptr, kThreadStackBytes, &RunSerialIo, thread_share.get(),
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return LastSystemFailure("CreateThread");
  (void)thread_share.release();  // the thread's now
  ::CloseHandle(thread);         // never waited for: it ends by itself
  opens_ = open;
  io_ = std::move(io);
  previous_.reset();  // the new open waits for it
  opened_ = false;
  return platform::Status::Failed(platform::Error::Pending);
}

platform::Status Win32SerialPort::Close() {
  if (!io_) return platform::Status::Failed(platform::Error::Other);
  // The thread cancels, closes the handle and ends on its own time; the next
  // open waits for that on its own thread, never here.
  io_->Stop();
  previous_ = std::move(io_);
  opened_ = false;
  waiting_writes_.clear();
  return platform::Status::Ok();
}

platform::Status Win32SerialPort::Write(std::string_view bytes) {
  if (!IsOpen()) return platform::Status::Failed(platform::Error::WriteFailed);
  if (!io_->writing() && waiting_writes_.empty()) return io_->StartWrite(bytes);
  try {
    waiting_writes_.emplace_back(bytes);  // after the one under way, in order
  } catch (...) {
    return SystemFailure(ERROR_NOT_ENOUGH_MEMORY, "WriteFile", platform::Error::WriteFailed);
  }
  return platform::Status::Ok();
}

// After a write's outcome: the next in waiting; one the system refuses at once
// is reported in its turn.
void Win32SerialPort::StartWaitingWrites(platform::SerialOpen open) {
  while (IsOpen() && io_->open() == open && !io_->writing() && !waiting_writes_.empty()) {
    const std::string bytes = std::move(waiting_writes_.front());
    waiting_writes_.pop_front();
    if (platform::Status started = io_->StartWrite(bytes); !started.ok() && events_ != nullptr) {
      events_->OnSerialWritten(open, started);
    }
  }
}

bool Win32SerialPort::Responds() {
  if (!IsOpen()) return false;
  DWORD errors = 0;
  COMSTAT status{};
  DWORD modem = 0;
  return ::ClearCommError(io_->handle(), &errors, &status) && ::GetCommModemStatus(io_->handle(), &modem);
}

// A message-only window: it hears the I/O thread's posts on the user-interface thread.
platform::Status Win32SerialPort::MakeEventsWindow() {
  if (!events_window_) events_window_ = MakeMessageWindow(kEventsWindowClass, &Win32SerialPort::Procedure, this);
  return events_window_ ? platform::Status::Ok() : LastSystemFailure("CreateWindowExW");
}

void Win32SerialPort::OnOpened(platform::SerialOpen open) {
  // An open closed meanwhile, or an earlier one: its thread closes its own handle.
  if (!io_ || io_->open() != open || opened_) return;
  const platform::Status status = io_->open_status();
  if (status.ok()) {
    opened_ = true;
  } else {
    previous_ = std::move(io_);  // its thread ends by itself
  }
  if (events_ != nullptr) events_->OnSerialOpened(open, status);
}

LRESULT CALLBACK Win32SerialPort::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32SerialPort*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const auto open = static_cast<platform::SerialOpen>(wparam);
  // An exception must never unwind into the system's dispatch.
  try {
    switch (message) {
      case kSerialReceived: {
        std::unique_ptr<ReceivedBytes> received(reinterpret_cast<ReceivedBytes*>(lparam));
        if (self != nullptr && self->events_ != nullptr && received) {
          self->events_->OnSerialReceived(open, received->bytes, received->read_ms);
        }
        return 0;
      }
      case kSerialWritten:
        if (self != nullptr && self->events_ != nullptr) {
          const auto code = static_cast<std::uint32_t>(lparam);
          self->events_->OnSerialWritten(open, code == 0
                                                   ? platform::Status::Ok()
                                                   : SystemFailure(code, "WriteFile", platform::Error::WriteFailed));
          self->StartWaitingWrites(open);
        }
        return 0;
      case kSerialLost:
        if (self != nullptr && self->events_ != nullptr) self->events_->OnSerialLost(open);
        return 0;
      case kSerialOpened:
        if (self != nullptr) self->OnOpened(open);
        return 0;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace rc::win32
