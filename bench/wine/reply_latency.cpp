// Reply latency of one or more builds of Reticor2.exe beside a plain answering
// program, all over socat pseudo-terminal pairs, measured in one interleaved
// run (scripts/bench-latency).
//
//   reticor2_reply_latency.exe COUNT PLAIN_PORT NAME=PORT [NAME=PORT ...]
//   reticor2_reply_latency.exe answer PORT
//
// Each PORT is the far end of a build's COM2; PLAIN_PORT the far end of a pair
// whose other end is served by the second form: a plain Win32 program under
// Wine that answers each line (up to its CR) with a 16-byte reply from its own
// overlapped read thread, with the same port I/O as the program (overlapped,
// waiting on EV_RXCHAR). Each round sends one distinct reading to every build
// in turn and times its reply, then the same line to the plain program; no
// polling interval is in any figure. A build's own share of a reply is its
// median less the plain program's.
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

// Answers every line, as soon as its CR is in, with a 16-byte reply, from the
// thread that reads, while the main thread runs one window's message loop, as
// a plain desktop program would; until the process is ended.
DWORD WINAPI AnswerLines(void* parameter) {
  Port& port = *static_cast<Port*>(parameter);
  std::string line;
  for (;;) {
    line += port.ReadSome();
    for (std::size_t cr = line.find('\r'); cr != std::string::npos; cr = line.find('\r')) {
      line.erase(0, cr + 1);
      if (!port.Write("000000,000000,1\r")) return 1;
    }
  }
}

int Answer(const char* name) {
  static Port port;
  if (!port.Open(name)) return std::fprintf(stderr, "cannot open %s (error %lu)\n", name, GetLastError()), 1;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"PlainAnswer";
  RegisterClassW(&window_class);
  CreateWindowExW(0, L"PlainAnswer", L"plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                  window_class.hInstance, nullptr);
  if (CreateThread(nullptr, 0, AnswerLines, &port, 0, nullptr) == nullptr) return 1;
  std::printf("answering on %s\n", name);
  std::fflush(stdout);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

struct Build {
  std::string name;
  Port port;
  std::vector<double> ms;
  int wrong = 0;
};

// Times one line until `count` bytes are back; false when they never came.
bool Time(Port& port, const char* line, std::size_t count, std::vector<double>& ms, std::string& reply) {
  const double start = Now();
  if (!port.Write(line)) return false;
  reply = port.Read(count);
  ms.push_back(Now() - start);
  return reply.size() == count;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "answer") return Answer(argv[2]);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s COUNT PLAIN_PORT NAME=PORT [NAME=PORT ...]\n       %s answer PORT\n", argv[0],
                 argv[0]);
    return 2;
  }
  const int count = std::atoi(argv[1]);
  Port plain;
  if (!plain.Open(argv[2])) return std::fprintf(stderr, "cannot open %s (error %lu)\n", argv[2], GetLastError()), 1;
  std::vector<Build> builds(static_cast<std::size_t>(argc - 3));
  for (std::size_t b = 0; b < builds.size(); ++b) {
    const std::string argument = argv[3 + b];
    const std::size_t equals = argument.find('=');
    builds[b].name = argument.substr(0, equals);
    const std::string port = equals == std::string::npos ? argument : argument.substr(equals + 1);
    if (!builds[b].port.Open(port.c_str())) {
      return std::fprintf(stderr, "cannot open %s (error %lu)\n", port.c_str(), GetLastError()), 1;
    }
  }
  // A build opens COM2 as its last start-up step: until then readings are
  // lost. Warm up until one is answered, then let any stray reply pass.
  for (Build& build : builds) {
    bool ready = false;
    for (int attempt = 0; attempt < 20 && !ready; ++attempt) {
      if (!build.port.Write("  99999,  99999   0\r"))
        return std::fprintf(stderr, "write to %s failed\n", build.name.c_str()), 1;
      ready = build.port.Read(16).size() == 16;
    }
    if (!ready) return std::fprintf(stderr, "%s does not answer\n", build.name.c_str()), 1;
  }
  Sleep(200);
  for (Build& build : builds) build.port.Purge();

  std::vector<double> plain_ms;
  std::string reply;
  for (int i = 0; i < count; ++i) {
    // Distinct readings: X counts up, so no line repeats the one before it.
    char line[32];
    std::snprintf(line, sizeof line, "  %05d,  %05d   0\r", i % 100000, (i * 7) % 100000);
    char expected[32];
    std::snprintf(expected, sizeof expected, "0%05d,0%05d,1\r", (i % 100000) / 100, ((i * 7) % 100000) / 100);
    // Each round starts with the next build, so that no build always follows
    // the same one.
    for (std::size_t k = 0; k < builds.size(); ++k) {
      Build& build = builds[(static_cast<std::size_t>(i) + k) % builds.size()];
      if (!Time(build.port, line, 16, build.ms, reply)) {
        return std::fprintf(stderr, "%s: no reply to reading %d\n", build.name.c_str(), i), 1;
      }
      if (reply != expected) ++build.wrong;
    }
    if (!Time(plain, line, 16, plain_ms, reply)) return std::fprintf(stderr, "the plain program did not answer\n"), 1;
  }
  const double pm = Percentile(plain_ms, 0.5), p99 = Percentile(plain_ms, 0.99);
  int wrong = 0;
  std::printf("readings: %d, interleaved\n", count);
  std::printf("%-12s median %.3f ms   p99 %.3f ms\n", "plain", pm, p99);
  for (const Build& build : builds) {
    const double m = Percentile(build.ms, 0.5), m99 = Percentile(build.ms, 0.99);
    std::printf("%-12s median %.3f ms   p99 %.3f ms   own share %.3f ms   ratio median %.2f   p99 %.2f   wrong %d\n",
                build.name.c_str(), m, m99, m - pm, m / pm, m99 / p99, build.wrong);
    wrong += build.wrong;
  }
  return wrong == 0 ? 0 : 1;
}
