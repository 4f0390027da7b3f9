#include "platform/win32/win32_dialog.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/pixel_scale.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr wchar_t kDialogFont[] = L"MS Shell Dlg";
constexpr WORD kDialogFontPoints = 9;

void Append(std::vector<WORD>& out, std::wstring_view text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

// DLGTEMPLATE with no controls, no menu, the system dialog class, the caption
// and the font; sized later in pixels.
std::vector<WORD> MakeTemplate(std::wstring_view caption) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = kDialogStyle;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the system dialog class
  Append(words, caption);
  words.push_back(kDialogFontPoints);
  Append(words, kDialogFont);
  return words;
}

}  // namespace

Win32Dialog::Win32Dialog(Win32Platform& platform, platform::DialogEvents& events)
    : platform_(platform), events_(events), controls_(events, platform.screen()) {}

Win32Dialog::~Win32Dialog() {
  if (!hwnd_) return;
  // Destroyed by its owner, not by the user: no close report.
  ::SetWindowLongPtrW(hwnd_.get(), DWLP_USER, 0);
  platform_.ForgetDialog(hwnd_.get());
  hwnd_.reset();
}

bool Win32Dialog::Create(const platform::DialogLayout& layout) {
  std::vector<WORD> words = MakeTemplate(layout.caption);
  HWND hwnd = ::CreateDialogIndirectParamW(platform_.instance(), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                           nullptr, &Win32Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  if (hwnd == nullptr) return false;
  hwnd_.reset(hwnd);
  platform_.RememberDialog(hwnd);
  Place(layout.client_width, layout.client_height);
  return controls_.Create(hwnd, platform_.instance(), layout);
}

void Win32Dialog::Place(float client_width, float client_height) {
  const platform::Screen& screen = platform_.screen();
  RECT rect{0, 0, screen.ScaleX().Span(0, client_width).length, screen.ScaleY().Span(0, client_height).length};
  ::AdjustWindowRectEx(&rect, static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  ::SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Dialog::ShowActivated() {
  if (!hwnd_) return;
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::BringWindowToTop(hwnd());
  controls_.FocusFirst();
}

namespace {
RECT WindowRect(HWND hwnd) {
  RECT rect{};
  if (hwnd != nullptr) ::GetWindowRect(hwnd, &rect);
  return rect;
}
}  // namespace

float Win32Dialog::Left() const { return platform_.screen().ScaleX().Twips(WindowRect(hwnd()).left); }
float Win32Dialog::Top() const { return platform_.screen().ScaleY().Twips(WindowRect(hwnd()).top); }
float Win32Dialog::Width() const {
  const RECT rect = WindowRect(hwnd());
  return platform_.screen().ScaleX().Twips(rect.right - rect.left);
}
float Win32Dialog::Height() const {
  const RECT rect = WindowRect(hwnd());
  return platform_.screen().ScaleY().Twips(rect.bottom - rect.top);
}

void Win32Dialog::SetPosition(float left, float top) {
  if (!hwnd_) return;
  const platform::Screen& screen = platform_.screen();
  ::SetWindowPos(hwnd(), nullptr, screen.ScaleX().Pixel(left), screen.ScaleY().Pixel(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// As the close box: the window goes and the owner hears of it.
void Win32Dialog::Close() {
  if (hwnd_) ::SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void Win32Dialog::ShowMessage(std::wstring_view text) { ShowMessageBox(hwnd_.get(), text); }

INT_PTR CALLBACK Win32Dialog::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // An exception must never unwind into the system's dispatch.
  try {
    return Dispatch(hwnd, message, wparam, lparam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Win32Dialog::Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    return TRUE;
  }
  auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  // The controls' messages; an event raised there may close the dialog, so
  // nothing of `self` is used after it.
  if (INT_PTR result = 0; self->controls_.Handle(message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_CLOSE: {
      // The user's close discards the window; the object stays with its owner,
      // which hears of it last, so nothing here touches the object after that.
      ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->platform_.ForgetDialog(hwnd);
      self->hwnd_.reset();  // DestroyWindow
      self->events_.OnDialogClosed();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace rc::win32
