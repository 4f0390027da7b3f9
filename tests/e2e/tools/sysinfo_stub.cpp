// Stands in for the system-information tool in the end-to-end tests: leaves
// "started.txt" beside itself, so the test sees that it was started, and ends.
#include <windows.h>

#include <cwchar>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  wchar_t* slash = std::wcsrchr(path, L'\\');
  if (slash == nullptr || (slash - path) + 12 >= MAX_PATH) return 1;
  std::wcscpy(slash + 1, L"started.txt");
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(file);
  return 0;
}
