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

namespace {

struct Search {
  const wchar_t* className;
  const wchar_t* caption;  // null: any
  bool mustBeVisible;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t name[256], text[256];
  if (GetClassNameW(hwnd, name, 256) == 0 || std::wcscmp(name, search->className) != 0) return TRUE;
  if (search->mustBeVisible && !IsWindowVisible(hwnd)) return TRUE;
  if (search->caption != nullptr) {
    GetWindowTextW(hwnd, text, 256);
    if (std::wcscmp(text, search->caption) != 0) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

HWND Find(const wchar_t* className, const wchar_t* caption, bool mustBeVisible) {
  Search search{className, caption, mustBeVisible, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && argc <= 4 && std::wcscmp(argv[1], L"wait") == 0) {
    const ULONGLONG deadline = GetTickCount64() + (argc == 4 ? std::wcstoul(argv[3], nullptr, 10) : 30000);
    for (; Find(argv[2], nullptr, true) == nullptr; Sleep(100))
      if (GetTickCount64() >= deadline) return 1;
    return 0;
  }
  if (argc >= 3 && argc <= 4 && std::wcscmp(argv[1], L"rect") == 0) {
    HWND window = Find(argv[2], argc == 4 ? argv[3] : nullptr, true);
    RECT r{};
    if (window == nullptr || !GetWindowRect(window, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
    return 0;
  }
  if (argc == 6 && std::wcscmp(argv[1], L"post") == 0) {
    HWND window = Find(argv[2], nullptr, false);
    if (window == nullptr) return 1;
    auto number = [](const wchar_t* text) { return std::wcstoull(text, nullptr, 0); };
    return PostMessageW(window, static_cast<UINT>(number(argv[3])), static_cast<WPARAM>(number(argv[4])),
                        static_cast<LPARAM>(number(argv[5])))
               ? 0
               : 1;
  }
  return 2;
}
