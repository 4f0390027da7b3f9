#include "platform/win32/win32_window.h"

namespace rc::win32 {

Win32WindowBase::~Win32WindowBase() { Destroy(); }

void Win32WindowBase::Destroy() {
  if (!hwnd_) return;
  ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
  hwnd_.reset();
}

bool Win32WindowBase::Create(HINSTANCE instance, const wchar_t* class_name, DWORD style, DWORD ex_style) {
  // No title: tools and a second start find the windows by their class.
  HWND hwnd = ::CreateWindowExW(ex_style, class_name, L"", style, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (hwnd == nullptr) return false;
  hwnd_.reset(hwnd);
  return true;
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

}  // namespace rc::win32
