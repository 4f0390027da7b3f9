// reticor2_wait_window CLASS [TIMEOUT_MS] [visible]
// Waits until a top-level window of the class exists (any process), or with
// "visible" until one is shown. Exit status 0 when it does, 1 on timeout, 2 on bad
// arguments. Used by scripts/run to know when the program is up.
#include <windows.h>

#include <cwchar>

namespace {

struct Search {
  const wchar_t* className;
  bool mustBeVisible;
  bool found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t name[256];
  if (GetClassNameW(hwnd, name, 256) > 0 && std::wcscmp(name, search->className) == 0 &&
      (!search->mustBeVisible || IsWindowVisible(hwnd))) {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 4) return 2;
  const DWORD timeoutMs = argc >= 3 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 30000;
  const bool mustBeVisible = argc == 4 && std::wcscmp(argv[3], L"visible") == 0;
  if (argc == 4 && !mustBeVisible) return 2;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    Search search{argv[1], mustBeVisible, false};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    if (GetTickCount64() >= deadline) return 1;
    Sleep(100);
  }
}
