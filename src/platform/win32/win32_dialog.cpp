#include "platform/win32/win32_dialog.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/pixel_scale.h"
#include "platform/win32/dpi.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {

// WM_GETDPISCALEDSIZE (Windows 10 1703): named here, as the SDK names it only
// for newer targets than the program's.
constexpr UINT kGetDpiScaledSize = 0x02E4;

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
    : platform_(platform), events_(events), controls_(platform, events) {}

Win32Dialog::~Win32Dialog() {
  if (!hwnd_) return;
  // Destroyed by its owner, not by the user: no close report.
  ::SetWindowLongPtrW(hwnd_.get(), DWLP_USER, 0);
  platform_.ForgetDialog(hwnd_.get());
  hwnd_.reset();
}

platform::Status Win32Dialog::Create(const platform::DialogLayout& layout) {
  std::vector<WORD> words = MakeTemplate(layout.caption);
  HWND hwnd = ::CreateDialogIndirectParamW(platform_.instance(), reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                           nullptr, &Win32Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  if (hwnd == nullptr) return LastSystemFailure("CreateDialogIndirectParamW");
  hwnd_.reset(hwnd);
  platform_.RememberDialog(hwnd);
  // The dialog manager would scale the window and the controls by its own
  // rule on a DPI change; they follow the control table instead.
  dpi::KeepDialogLayout(hwnd);
  client_width_ = layout.client_width, client_height_ = layout.client_height;
  dpi_ = dpi::OfWindow(hwnd);
  Place();
  if (!controls_.Create(hwnd, platform_.instance(), layout, dpi_)) return LastSystemFailure("CreateWindowExW");
  return platform::Status::Ok();
}

SIZE Win32Dialog::OuterSize(int dpi) const {
  const PixelScale scale(dpi);
  RECT rect{0, 0, scale.Span(0, client_width_).length, scale.Span(0, client_height_).length};
  dpi::AdjustWindowRect(rect, static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_STYLE)),
                        static_cast<DWORD>(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)), dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Dialog::Place() {
  const SIZE size = OuterSize(dpi_);
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
  // On the primary monitor, as the template's place is: the DPI stays.
  ::SetWindowPos(hwnd(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Dialog::Rescale(int dpi, POINT corner) {
  dpi_ = dpi;
  controls_.ChangeDpi(dpi);
  const SIZE size = OuterSize(dpi);
  ::SetWindowPos(hwnd(), nullptr, corner.x, corner.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Dialog::FollowDpi() {
  if (!hwnd_) return;
  // Where the system says so itself (WM_DPICHANGED) this finds nothing left to do.
  if (const int now = dpi::OfWindow(hwnd()); now != dpi_) {
    RECT rect{};
    ::GetWindowRect(hwnd(), &rect);
    Rescale(now, {rect.left, rect.top});
  }
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
  FollowDpi();
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
    case kGetDpiScaledSize: {
      // Dragged to a monitor of another scale: the size the dialog will take
      // there (its layout's at the new DPI), so that the system's rectangle and
      // the dialog agree and the move does not jump. Where the system asks
      // nothing (Windows 10 before 1703) the frame it draws stays its own.
      const SIZE size = self->OuterSize(static_cast<int>(wparam));
      *reinterpret_cast<SIZE*>(lparam) = size;
      ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_DPICHANGED: {
      // The system's rectangle gives the corner; the size is the layout's at the new DPI.
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      self->Rescale(HIWORD(wparam), {suggested->left, suggested->top});
      return TRUE;
    }
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
