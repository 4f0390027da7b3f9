#include "platform/win32/win32_window.h"

#include "platform/win32/system_error.h"

namespace rc::win32 {

Win32WindowBase::~Win32WindowBase() { Destroy(); }

void Win32WindowBase::Destroy() {
  if (!hwnd_) return;
  ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
  hwnd_.reset();
}

platform::Status Win32WindowBase::Create(HINSTANCE instance, const wchar_t* class_name, DWORD style, DWORD ex_style) {
  // No title: tools and a second start find the windows by their class.
  HWND hwnd = ::CreateWindowExW(ex_style, class_name, L"", style, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (hwnd == nullptr) return LastSystemFailure("CreateWindowExW");
  hwnd_.reset(hwnd);
  return platform::Status::Ok();
}

LRESULT CALLBACK Win32WindowBase::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32WindowBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_.get() == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  // An exception must never unwind into the system's dispatch; the one a
  // handler can meet (allocation) drops that message's work.
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

OwnedWindow MakeMessageWindow(const wchar_t* class_name, WNDPROC procedure, void* owner) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = class_name;
  if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return {};
  OwnedWindow window(::CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
  if (window) ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  return window;
}

}  // namespace rc::win32
