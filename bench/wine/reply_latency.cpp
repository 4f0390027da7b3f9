// Reply latency of Reticor2.exe beside a plain echo, both over socat
// pseudo-terminal pairs, measured in one run (scripts/bench-latency).
//
//   reticor2_reply_latency.exe APP_PORT ECHO_PORT COUNT
//   reticor2_reply_latency.exe echo PORT
//
// APP_PORT is the far end of the program's COM2; ECHO_PORT the far end of a pair
// whose other end is served by the second form: a plain Win32 echo under Wine
// that writes back every byte as it arrives, with the same port I/O as the
// program (overlapped, waiting on EV_RXCHAR). Each round sends one distinct
// reading to the program and times its 16-byte reply, then sends the same line
// to the echo and times its return; no polling interval is in either figure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 3000;

class Port {
 public:
  bool Open(const char* name) {
    std::string path = std::string("\\\\.\\") + name;
    handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                          nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle_, &dcb);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle_, &dcb)) return false;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;  // reads return at once with what is there
    timeouts.WriteTotalTimeoutConstant = kTimeoutMs;
    SetCommTimeouts(handle_, &timeouts);
    SetCommMask(handle_, EV_RXCHAR);
    PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event_ != nullptr;
  }

  void Purge() { PurgeComm(handle_, PURGE_RXCLEAR); }

  bool Write(const std::string& bytes) {
    OVERLAPPED ov{};
    ov.hEvent = event_;
    ResetEvent(event_);
    DWORD n = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov) &&
        GetLastError() != ERROR_IO_PENDING)
      return false;
    return GetOverlappedResult(handle_, &ov, &n, TRUE) && n == bytes.size();
  }

  // Reads exactly `count` bytes, or fewer when nothing arrives within the timeout.
  std::string Read(size_t count) { return Read(count, kTimeoutMs, false); }
  // Whatever is there once anything is, waiting as long as it takes.
  std::string ReadSome() { return Read(256, INFINITE, true); }

 private:
  std::string Read(size_t count, DWORD wait_ms, bool some) {
    std::string got;
    while (some ? got.empty() : got.size() < count) {
      char buffer[256];
      OVERLAPPED ov{};
      ov.hEvent = event_;
      ResetEvent(event_);
      DWORD n = 0;
      const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, count - got.size()));
      if (!ReadFile(handle_, buffer, want, nullptr, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) break;
        // Wine keeps such a read pending until a byte is there.
        if (WaitForSingleObject(event_, wait_ms) != WAIT_OBJECT_0) {
          CancelIoEx(handle_, &ov);
          GetOverlappedResult(handle_, &ov, &n, TRUE);
          got.append(buffer, n);
          break;
        }
      }
      if (!GetOverlappedResult(handle_, &ov, &n, FALSE)) break;
      if (n > 0) {
        got.append(buffer, n);
        continue;
      }
      DWORD mask = 0;
      ResetEvent(event_);
      if (!WaitCommEvent(handle_, &mask, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) break;
        if (WaitForSingleObject(event_, wait_ms) != WAIT_OBJECT_0) {
          SetCommMask(handle_, 0);  // ends the wait
          CancelIoEx(handle_, &ov);
          GetOverlappedResult(handle_, &ov, &n, TRUE);
          SetCommMask(handle_, EV_RXCHAR);
          break;
        }
      }
    }
    return got;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
  return values[at];
}

}  // namespace

// Writes back whatever arrives, as soon as it arrives, until the process is ended.
int Echo(const char* name) {
  Port port;
  if (!port.Open(name)) return std::fprintf(stderr, "cannot open %s (error %lu)\n", name, GetLastError()), 1;
  std::printf("echo on %s\n", name);
  std::fflush(stdout);
  for (;;) {
    const std::string got = port.ReadSome();
    if (!got.empty() && !port.Write(got)) return 1;
  }
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "echo") return Echo(argv[2]);
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s APP_PORT ECHO_PORT COUNT\n       %s echo PORT\n", argv[0], argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[3]);
  Port app, echo;
  if (!app.Open(argv[1]) || !echo.Open(argv[2])) {
    std::fprintf(stderr, "cannot open %s or %s (error %lu)\n", argv[1], argv[2], GetLastError());
    return 1;
  }
  // The program opens COM2 as its last start-up step: until then readings are
  // lost. Warm up until one is answered, then let any stray reply pass.
  bool ready = false;
  for (int attempt = 0; attempt < 20 && !ready; ++attempt) {
    if (!app.Write("  99999,  99999   0\r")) return std::fprintf(stderr, "write to the program failed\n"), 1;
    ready = app.Read(16).size() == 16;
  }
  if (!ready) return std::fprintf(stderr, "the program does not answer\n"), 1;
  Sleep(200);
  app.Purge();

  std::vector<double> app_ms, echo_ms;
  int wrong = 0;
  for (int i = 0; i < count; ++i) {
    // Distinct readings: X counts up, so no line repeats the one before it.
    char line[32];
    std::snprintf(line, sizeof line, "  %05d,  %05d   0\r", i % 100000, (i * 7) % 100000);
    char expected[32];
    std::snprintf(expected, sizeof expected, "0%05d,0%05d,1\r", (i % 100000) / 100, ((i * 7) % 100000) / 100);
    double start = Now();
    if (!app.Write(line)) return std::fprintf(stderr, "write to the program failed\n"), 1;
    const std::string reply = app.Read(16);
    app_ms.push_back(Now() - start);
    if (reply.size() != 16) return std::fprintf(stderr, "no reply to reading %d\n", i), 1;
    if (reply != expected) ++wrong;

    start = Now();
    if (!echo.Write(line)) return std::fprintf(stderr, "write to the echo failed\n"), 1;
    const std::string back = echo.Read(20);
    echo_ms.push_back(Now() - start);
    if (back != line) return std::fprintf(stderr, "the echo returned %zu bytes\n", back.size()), 1;
  }
  const double am = Percentile(app_ms, 0.5), a99 = Percentile(app_ms, 0.99);
  const double em = Percentile(echo_ms, 0.5), e99 = Percentile(echo_ms, 0.99);
  std::printf("readings: %d (wrong replies: %d)\n", count, wrong);
  std::printf("Reticor2 reply   median %.3f ms   p99 %.3f ms\n", am, a99);
  std::printf("plain echo       median %.3f ms   p99 %.3f ms\n", em, e99);
  std::printf("ratio            median %.2f      p99 %.2f\n", am / em, a99 / e99);
  return wrong == 0 ? 0 : 1;
}
