// The nudge under Wine (scripts/bench-nudge, bench/wine/nudge_drive.py).
//
//   reticor2_nudge_watch.exe            watches Reticor2.exe's nineteen windows
//   reticor2_nudge_watch.exe batch N    the reference: Wine's own cost of one batch
//
// Watching: the nineteen cross windows (the `frm_Center` handle and the
// eighteen `BarWindow` bars of its process) while a driver outside Wine presses
// the chord. Commands on standard input, one a line, each answered on standard
// output:
//   clock              -> "clock NS": the wall clock now
//   step DX DY MS      -> "armed", then "moved FIRST_NS LAST_NS" once every
//                         window stands one step (DX, DY pixels) from where it
//                         was (when the first and the last were seen there), or
//                         "lost N" (N windows had not moved) after MS ms
//   glide DX DY N MS   -> "armed", then "level K NS" as the last window reaches
//                         step K, and "end K MIN MAX" once step N is reached or
//                         nothing has moved for MS ms: the steps all windows
//                         reached, the fewest and the most any one did
//   quit
// Times are the wall clock (GetSystemTimePreciseAsFileTime) in nanoseconds since
// 1970, the clock the driver reads on the Linux side. The windows' rectangles
// are polled about once a millisecond, the first window not yet moved first,
// so a time is at most about a millisecond late. A window anywhere else than a
// whole number of steps from its start ends the command with "odd WINDOW".
//
// The reference: nineteen layered popup windows like the cross's, moved one
// pixel N times in one DeferWindowPos batch each, 20 ms apart; prints
// "batch MEDIAN_MS P99_MS", the time EndDeferWindowPos takes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr int kWindows = 19;

long long NowNs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  const long long ticks = (static_cast<long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - 116444736000000000LL) * 100;
}

struct Found {
  DWORD pid = 0;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectBar(HWND hwnd, LPARAM param) {
  auto& found = *reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  if (pid == found.pid && std::wcscmp(name, L"BarWindow") == 0) found.windows.push_back(hwnd);
  return TRUE;
}

// The handle first, then the bars of the same process; waits up to ten seconds.
std::vector<HWND> FindCross() {
  for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
    HWND handle = FindWindowW(L"frm_Center", nullptr);
    if (handle == nullptr) continue;
    Found found;
    GetWindowThreadProcessId(handle, &found.pid);
    found.windows.push_back(handle);
    EnumWindows(CollectBar, reinterpret_cast<LPARAM>(&found));
    if (found.windows.size() == kWindows) return found.windows;
  }
  return {};
}

class Cross {
 public:
  explicit Cross(std::vector<HWND> windows) : windows_(std::move(windows)), start_(windows_.size()) {}

  void Arm() {
    for (std::size_t i = 0; i < windows_.size(); ++i) GetWindowRect(windows_[i], &start_[i]);
  }

  // How many whole steps of (dx, dy) window i stands from its start; -1 when
  // it stands anywhere else.
  int Steps(std::size_t i, int dx, int dy) const {
    RECT now;
    GetWindowRect(windows_[i], &now);
    const RECT& was = start_[i];
    const int x = now.left - was.left, y = now.top - was.top;
    if (now.right - now.left != was.right - was.left || now.bottom - now.top != was.bottom - was.top) return -1;
    const int steps = dx != 0 ? x / dx : y / dy;
    return steps >= 0 && x == steps * dx && y == steps * dy ? steps : -1;
  }

  struct Arrival {
    bool arrived = false;
    long long first_ns = 0, last_ns = 0;  // when the first and the last window were seen there
    int behind = 0;                       // not arrived: the windows still short of it
    int odd = -1;                         // a window that stands elsewhere
  };
  // Polls until every window stands at least `level` steps from its start, or
  // until `deadline_ns`.
  Arrival WaitForLevel(int level, int dx, int dy, long long deadline_ns) const {
    Arrival a;
    for (std::size_t i = 0; i < windows_.size();) {
      const long long polled = NowNs();
      const int steps = Steps(i, dx, dy);
      if (steps < 0) {
        a.odd = static_cast<int>(i);
        return a;
      }
      if (steps >= level) {
        if (a.first_ns == 0) a.first_ns = polled;
        a.last_ns = polled;
        ++i;
      } else if (polled > deadline_ns) {
        a.behind = static_cast<int>(windows_.size() - i);
        return a;
      } else {
        Sleep(1);
      }
    }
    a.arrived = true;
    return a;
  }

  // The fewest and most steps any window stands from its start.
  void Range(int dx, int dy, int& least, int& most) const {
    least = 1 << 30, most = -1;
    for (std::size_t i = 0; i < windows_.size(); ++i) {
      const int steps = Steps(i, dx, dy);
      least = std::min(least, steps);
      most = std::max(most, steps);
    }
  }

 private:
  std::vector<HWND> windows_;
  std::vector<RECT> start_;
};

void Armed(Cross& cross) {
  cross.Arm();
  std::printf("armed\n");
  std::fflush(stdout);
}

void Step(Cross& cross, int dx, int dy, int timeout_ms) {
  Armed(cross);
  const Cross::Arrival a = cross.WaitForLevel(1, dx, dy, NowNs() + timeout_ms * 1000000LL);
  if (a.arrived) {
    std::printf("moved %lld %lld\n", a.first_ns, a.last_ns);
  } else if (a.odd >= 0) {
    std::printf("odd %d\n", a.odd);
  } else {
    std::printf("lost %d\n", a.behind);
  }
}

void Glide(Cross& cross, int dx, int dy, int count, int quiet_ms) {
  Armed(cross);
  int level = 0;
  while (level < count) {
    const Cross::Arrival a = cross.WaitForLevel(level + 1, dx, dy, NowNs() + quiet_ms * 1000000LL);
    if (a.odd >= 0) {
      std::printf("odd %d\n", a.odd);
      return;
    }
    if (!a.arrived) break;
    std::printf("level %d %lld\n", ++level, a.last_ns);
    std::fflush(stdout);
  }
  int least = 0, most = 0;
  cross.Range(dx, dy, least, most);
  std::printf("end %d %d %d\n", level, least, most);
}

int Watch() {
  std::vector<HWND> windows = FindCross();
  if (windows.size() != kWindows) {
    std::printf("no cross: Reticor2.exe's nineteen windows were not found\n");
    return 1;
  }
  Cross cross(std::move(windows));
  std::printf("windows %d\n", kWindows);
  std::fflush(stdout);
  char line[128];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    int dx = 0, dy = 0, n = 0, ms = 0;
    if (std::strncmp(line, "clock", 5) == 0) {
      std::printf("clock %lld\n", NowNs());
    } else if (std::sscanf(line, "step %d %d %d", &dx, &dy, &ms) == 3 && (dx != 0 || dy != 0)) {
      Step(cross, dx, dy, ms);
    } else if (std::sscanf(line, "glide %d %d %d %d", &dx, &dy, &n, &ms) == 4 && (dx != 0 || dy != 0)) {
      Glide(cross, dx, dy, n, ms);
    } else if (std::strncmp(line, "quit", 4) == 0) {
      break;
    } else {
      std::printf("unknown command\n");
    }
    std::fflush(stdout);
  }
  return 0;
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

int Batch(int rounds) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PlainProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"NudgeReference";
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (RegisterClassW(&window_class) == 0) return 1;
  std::vector<HWND> windows;
  for (int i = 0; i < kWindows; ++i) {
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, L"NudgeReference", L"", WS_POPUP,
                                100 + i * 40, 500, 24, 3, nullptr, nullptr, window_class.hInstance, nullptr);
    if (hwnd == nullptr) return 1;
    SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    windows.push_back(hwnd);
  }
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    const long long before = NowNs();
    HDWP batch = BeginDeferWindowPos(kWindows);
    for (int i = 0; i < kWindows && batch != nullptr; ++i) {
      batch = DeferWindowPos(batch, windows[i], nullptr, 100 + i * 40 + (round & 1), 500, 24, 3,
                             SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    }
    if (batch == nullptr || !EndDeferWindowPos(batch)) return 1;
    times.push_back(static_cast<double>(NowNs() - before) / 1e6);
    Sleep(20);
  }
  std::sort(times.begin(), times.end());
  std::printf("batch %.3f %.3f\n", times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 99 / 100)]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "batch") == 0) return Batch(std::max(1, std::atoi(argv[2])));
  return Watch();
}
