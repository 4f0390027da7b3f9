#pragma once
// Small owners for Win32 handles: each closes what it owns, once.

#include <windows.h>

#include <utility>

namespace rc::win32 {

template <typename Handle, typename Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::Invalid()));
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND h) { ::DestroyWindow(h); }
};
struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct FileTraits {  // files, devices, ports
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct EventTraits {  // events, threads: null when absent
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct CursorTraits {
  static HCURSOR Invalid() { return nullptr; }
  static void Close(HCURSOR h) { ::DestroyCursor(h); }
};
struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct DeviceNotifyTraits {  // a window's registration for device notices
  static HDEVNOTIFY Invalid() { return nullptr; }
  static void Close(HDEVNOTIFY h) { ::UnregisterDeviceNotification(h); }
};

using OwnedWindow = Owned<HWND, WindowTraits>;
using OwnedKey = Owned<HKEY, KeyTraits>;
using OwnedFile = Owned<HANDLE, FileTraits>;
using OwnedEvent = Owned<HANDLE, EventTraits>;
using OwnedMenu = Owned<HMENU, MenuTraits>;
using OwnedIcon = Owned<HICON, IconTraits>;
using OwnedCursor = Owned<HCURSOR, CursorTraits>;
using OwnedGdiObject = Owned<HGDIOBJ, GdiTraits>;
using OwnedDeviceNotify = Owned<HDEVNOTIFY, DeviceNotifyTraits>;

// A window's (or, for null, the screen's) device context, released with the scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for the scope; the one it replaced
// is selected back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~Selected() {
    if (old_ != nullptr) ::SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A registry key under `root`, opened with `access` or, with `create`, created
// when missing; null when that failed, with the system's reason in `status`.
inline OwnedKey OpenKey(HKEY root, const wchar_t* path, REGSAM access, LSTATUS* status = nullptr, bool create = false) {
  HKEY raw = nullptr;
  const LSTATUS opened = create ? ::RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &raw, nullptr)
                                : ::RegOpenKeyExW(root, path, 0, access, &raw);
  if (status != nullptr) *status = opened;
  return OwnedKey(opened == ERROR_SUCCESS ? raw : nullptr);
}

}  // namespace rc::win32
