// reticor2_window_tool COMMAND ...: small window chores for scripts/run and scripts/screenshots.
//   wait CLASS [TIMEOUT_MS]           waits until a top-level window of the class is shown
//   rect CLASS [CAPTION]              prints "x y width height" of the first visible
//                                     top-level window of the class (and caption)
//   post CLASS MESSAGE WPARAM LPARAM  posts a message to the first window of the class
// Any process's windows. Exit status 0 on success, 1 when no window matches (in
// time), 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string_view>

// The first top-level window of the class (and caption, when given), in Z order.
static HWND Find(const wchar_t* className, const wchar_t* caption, bool mustBeVisible) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, caption)) != nullptr;)
    if (!mustBeVisible || IsWindowVisible(w)) return w;
  return nullptr;
}

int wmain(int argc, wchar_t** argv) {
  const std::wstring_view command = argc >= 3 ? argv[1] : L"";
  if (command == L"wait" && argc <= 4) {
    const ULONGLONG deadline = GetTickCount64() + (argc == 4 ? std::wcstoul(argv[3], nullptr, 10) : 30000);
    for (; Find(argv[2], nullptr, true) == nullptr; Sleep(100))
      if (GetTickCount64() >= deadline) return 1;
    return 0;
  }
  RECT r{};
  if (command == L"rect" && argc <= 4) {
    if (!GetWindowRect(Find(argv[2], argc == 4 ? argv[3] : nullptr, true), &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (command != L"post" || argc != 6) return 2;
  const HWND window = Find(argv[2], nullptr, false);
  auto number = [](const wchar_t* text) { return std::wcstoull(text, nullptr, 0); };
  return window && PostMessageW(window, static_cast<UINT>(number(argv[3])), static_cast<WPARAM>(number(argv[4])),
                                static_cast<LPARAM>(number(argv[5])))
             ? 0
             : 1;
}
