#include "platform/win32/win32_dialog_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {

using platform::ControlKind;

// The dialog's own font, and the faces tried in turn when one is missing: the
// Korean system fonts, then the font that Wine setups and Linux desktops carry.
constexpr platform::DialogFont kDialogFont{L"굴림", 9};
constexpr const wchar_t* kFallbackFaces[] = {L"Gulim", L"NanumGothic", L"Malgun Gothic", L"Dotum"};
constexpr int kListLines = 8;  // entries a dropped-down list shows

// A CALLBACK function, not a lambda: the calling convention differs on i686.
int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM data) {
  *reinterpret_cast<bool*>(data) = true;
  return 0;
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  const WindowDc screen(nullptr);
  bool found = false;
  if (screen.get() != nullptr)
    ::EnumFontFamiliesExW(screen.get(), &wanted, &FaceFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// A hotkey box's modifier flags, as the program's (the same as the system's
// global shortcuts take).
constexpr std::pair<BYTE, std::uint8_t> kBoxModifiers[] = {
    {HOTKEYF_ALT, modifier::kAlt}, {HOTKEYF_CONTROL, modifier::kCtrl}, {HOTKEYF_SHIFT, modifier::kShift}};

Chord BoxChord(HWND box) {
  const auto value = static_cast<WORD>(::SendMessageW(box, HKM_GETHOTKEY, 0, 0));
  Chord chord{0, LOBYTE(value)};
  for (const auto& [box_flag, flag] : kBoxModifiers) {
    if (HIBYTE(value) & box_flag) chord.modifiers = static_cast<std::uint8_t>(chord.modifiers | flag);
  }
  return chord;
}

// Keys of the extended part of the keyboard: the box names them by that flag
// (without it, Left would read as the keypad's 4).
bool IsExtendedKey(std::uint16_t key) {
  return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE || key == VK_DIVIDE ||
         key == VK_NUMLOCK || key == VK_SNAPSHOT || (key >= VK_LWIN && key <= VK_APPS);
}

void SetBoxChord(HWND box, Chord chord) {
  BYTE flags = 0;
  for (const auto& [box_flag, flag] : kBoxModifiers) {
    if (chord.modifiers & flag) flags |= box_flag;
  }
  if (chord.key != 0 && IsExtendedKey(chord.key)) flags |= HOTKEYF_EXT;
  // The box has no Windows key; a chord without a key shows as none.
  const WORD value = chord.key != 0 ? MAKEWORD(static_cast<BYTE>(chord.key), flags) : 0;
  ::SendMessageW(box, HKM_SETHOTKEY, value, 0);
}

bool ModifierHeld() { return (::GetKeyState(VK_CONTROL) | ::GetKeyState(VK_MENU) | ::GetKeyState(VK_SHIFT)) & 0x8000; }

bool IsModifierKey(WPARAM key) {
  return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_LSHIFT || key == VK_RSHIFT ||
         key == VK_LCONTROL || key == VK_RCONTROL || key == VK_LMENU || key == VK_RMENU || key == VK_LWIN ||
         key == VK_RWIN;
}

// A key pressed in a hotkey box that would make a chord that types (H, Shift+H):
// the box refuses it, so that it never shows a chord that cannot be taken.
// F12 goes through, for its row to say why it cannot be.
bool TypesWithHeldModifiers(WPARAM key) {
  if (IsModifierKey(key) || key == VK_F12) return false;
  std::uint8_t modifiers = 0;
  if (::GetKeyState(VK_CONTROL) & 0x8000) modifiers |= modifier::kCtrl;
  if (::GetKeyState(VK_MENU) & 0x8000) modifiers |= modifier::kAlt;
  if (::GetKeyState(VK_SHIFT) & 0x8000) modifiers |= modifier::kShift;
  return !TakesNoTyping({modifiers, static_cast<std::uint16_t>(key)});
}

constexpr UINT_PTR kShortcutBoxSubclass = 1;

}  // namespace

// The control's place in the client area at the dialog's DPI: frame contents
// lie in their frame, each edge on its own pixel, as for every window.
RECT DialogControls::Place(const Control& control) const {
  const platform::ControlLayout& c = *control.layout;
  const platform::PixelRect place = platform::ControlRect(layout_, c, scale());
  RECT rect{place.left, place.top, place.right, place.bottom};
  // A list's dropped-down part lies below its field.
  if (c.kind == ControlKind::DropDownList) rect.bottom += scale().Span(0, c.height).length * kListLines;
  return rect;
}

HFONT DialogControls::FontFor(const platform::DialogFont& wanted) {
  const platform::DialogFont& font = wanted.face.empty() ? kDialogFont : wanted;
  std::wstring key = std::wstring(font.face) + L"/" + std::to_wstring(font.points);
  for (auto& [name, handle] : font_cache_) {
    if (name == key) return handle;
  }
  std::wstring face(font.face);
  if (!FaceInstalled(face.c_str())) {
    face.clear();
    for (const wchar_t* fallback : kFallbackFaces) {
      if (FaceInstalled(fallback)) {
        face = fallback;
        break;
      }
    }
  }
  HFONT handle = nullptr;
  if (!face.empty()) {
    LOGFONTW description{};
    description.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi_ / 72.0));
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = HANGEUL_CHARSET;
    description.lfQuality = DEFAULT_QUALITY;
    ::lstrcpynW(description.lfFaceName, face.c_str(), LF_FACESIZE);
    handle = ::CreateFontIndirectW(&description);
    if (handle != nullptr) {
      OwnedGdiObject owned(handle);
      fonts_.push_back(std::move(owned));
    }
  }
  if (handle == nullptr) handle = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  font_cache_.emplace_back(key, handle);
  return handle;
}

namespace {

// The window each kind of control is, before the tab stop and the default button.
struct ControlClass {
  ControlKind kind;
  const wchar_t* window_class;
  DWORD style, ex_style;
};
// clang-format off
const ControlClass kControlClasses[] = {
    {ControlKind::Label, L"STATIC", SS_LEFT | SS_NOPREFIX, 0},
    {ControlKind::TextBox, L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {ControlKind::ReadOnlyText, L"EDIT", ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE},
    {ControlKind::Button, L"BUTTON", BS_PUSHBUTTON, 0},
    {ControlKind::Frame, L"BUTTON", BS_GROUPBOX, 0},
    {ControlKind::DropDownList, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0},
    {ControlKind::ScrollBar, L"SCROLLBAR", SBS_HORZ, 0},
    {ControlKind::ColourBox, L"STATIC", SS_OWNERDRAW, WS_EX_CLIENTEDGE},
    {ControlKind::Swatch, L"STATIC", SS_OWNERDRAW | SS_NOTIFY | WS_BORDER, 0},
    {ControlKind::Picture, L"STATIC", SS_BITMAP, 0},
    {ControlKind::ShortcutBox, HOTKEY_CLASSW, 0, WS_EX_CLIENTEDGE},
    {ControlKind::CheckBox, L"BUTTON", BS_AUTOCHECKBOX, 0},  // ticks or clears itself before it reports the click
};
// clang-format on

const ControlClass& ClassOf(ControlKind kind) {
  for (const ControlClass& c : kControlClasses) {
    if (c.kind == kind) return c;
  }
  return kControlClasses[0];
}

}  // namespace

bool DialogControls::Create(HWND dialog, HINSTANCE instance, const platform::DialogLayout& layout, int dpi) {
  dialog_ = dialog;
  dpi_ = dpi;
  layout_ = layout;
  controls_.clear();
  for (const platform::ControlLayout& c : layout.controls) {
    Control control;
    control.layout = &c;
    controls_.push_back(control);
  }
  tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance, nullptr);
  const std::vector<int> stops = platform::TabStops(layout);
  for (Control* control : CreationOrder(stops)) {
    const bool tab_stop = std::find(stops.begin(), stops.end(), control->layout->id) != stops.end();
    if (!CreateControl(*control, instance, tab_stop)) return false;
  }
  if (layout.default_button >= 0) ::SendMessageW(dialog, DM_SETDEFID, kFirstWindowId + layout.default_button, 0);
  return true;
}

// Creation order is the tab order: the tab stops first, in their order, then
// the rest; frames come last so that what lies in them is drawn above them.
std::vector<DialogControls::Control*> DialogControls::CreationOrder(const std::vector<int>& stops) {
  auto rank = [&](const Control* c) {
    const auto stop = std::find(stops.begin(), stops.end(), c->layout->id);
    if (stop != stops.end()) return static_cast<int>(stop - stops.begin());
    return c->layout->kind == ControlKind::Frame ? 20000 : 10000;
  };
  std::vector<Control*> order;
  for (Control& c : controls_) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [&](const Control* a, const Control* b) { return rank(a) < rank(b); });
  return order;
}

bool DialogControls::CreateControl(Control& control, HINSTANCE instance, bool tab_stop) {
  const platform::ControlLayout& c = *control.layout;
  const ControlClass& kind = ClassOf(c.kind);
  DWORD style = WS_CHILD | WS_VISIBLE | (tab_stop ? WS_TABSTOP : 0) | kind.style;
  if (c.kind == ControlKind::Button && c.id == layout_.default_button)
    style |= BS_DEFPUSHBUTTON;  // over BS_PUSHBUTTON, 0
  const RECT rect = Place(control);
  const std::wstring text(c.kind == ControlKind::Picture ? std::wstring_view() : c.text);
  control.hwnd =
      ::CreateWindowExW(kind.ex_style, kind.window_class, text.c_str(), style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, dialog_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstWindowId + c.id)), instance, nullptr);
  if (control.hwnd == nullptr) return false;
  SetFont(control, FALSE);
  if (!Fill(control, instance)) return false;
  if (!c.tooltip.empty()) AddTooltip(control);
  return true;
}

// What a kind of control holds from the start: a list's entries, a bar's range,
// a picture's bitmap; a shortcut box's own handling.
bool DialogControls::Fill(Control& control, HINSTANCE instance) {
  const platform::ControlLayout& c = *control.layout;
  switch (c.kind) {
    case ControlKind::DropDownList:
      for (std::wstring_view item : c.items) {
        const std::wstring entry(item);
        ::SendMessageW(control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      }
      return true;
    case ControlKind::ScrollBar: {
      // One position per arrow and per trough click.
      SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, c.minimum, c.maximum, 0, c.position, 0};
      ::SetScrollInfo(control.hwnd, SB_CTL, &info, TRUE);
      control.reported = c.position;
      return true;
    }
    case ControlKind::Picture:
      if (!bitmap_) {
        bitmap_.reset(::LoadImageW(instance, MAKEINTRESOURCEW(c.resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
      }
      if (bitmap_) ::SendMessageW(control.hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
      return true;
    case ControlKind::ShortcutBox:
      // The box resets itself on Backspace and Delete without telling anyone.
      return ::SetWindowSubclass(control.hwnd, &DialogControls::ShortcutBoxProcedure, kShortcutBoxSubclass,
                                 reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    default:
      return true;
  }
}

// The control's font at the dialog's DPI; a list's entries as tall as it.
void DialogControls::SetFont(Control& control, BOOL redraw) {
  control.font = FontFor(control.layout->font);
  ::SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(control.font), redraw);
  if (control.layout->kind != ControlKind::DropDownList) return;
  // The list keeps the entry height it had for the font it was created with.
  TEXTMETRICW metrics{};
  {
    const WindowDc dc(control.hwnd);
    const Selected font(dc.get(), control.font);
    if (dc.get() != nullptr) ::GetTextMetricsW(dc.get(), &metrics);
  }
  if (metrics.tmHeight > 0) ::SendMessageW(control.hwnd, CB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
}

void DialogControls::ChangeDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  // The old fonts go once no control uses them any more.
  std::vector<OwnedGdiObject> old_fonts;
  old_fonts.swap(fonts_);
  font_cache_.clear();
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (Control& control : controls_) {
    if (control.hwnd == nullptr) continue;
    SetFont(control, TRUE);
    const RECT rect = Place(control);
    // A picture keeps its bitmap's natural size.
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE |
                       (control.layout->kind == ControlKind::Picture ? static_cast<UINT>(SWP_NOSIZE) : 0U);
    const int x = rect.left, y = rect.top, w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (batch != nullptr) batch = ::DeferWindowPos(batch, control.hwnd, nullptr, x, y, w, h, flags);
    if (batch == nullptr) ::SetWindowPos(control.hwnd, nullptr, x, y, w, h, flags);
    if (control.layout->kind == ControlKind::Frame && !control.layout->tooltip.empty() && tooltip_ != nullptr) {
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      tool.hwnd = dialog_;
      tool.uId = static_cast<UINT_PTR>(kFirstWindowId) + static_cast<UINT_PTR>(control.layout->id);
      tool.rect = rect;
      ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
  }
  if (batch != nullptr) ::EndDeferWindowPos(batch);
  ::InvalidateRect(dialog_, nullptr, TRUE);  // the drawn lines
}

void DialogControls::AddTooltip(const Control& control) {
  if (!tooltip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  std::wstring text(control.layout->tooltip);
  tool.lpszText = text.data();
  if (control.layout->kind == ControlKind::Frame) {
    // A frame lets the mouse through to the dialog: the tool is its area there.
    tool.hwnd = dialog_;
    tool.uId = static_cast<UINT_PTR>(kFirstWindowId) + static_cast<UINT_PTR>(control.layout->id);
    tool.rect = Place(control);
  } else {
    tool.uFlags |= TTF_IDISHWND;
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
  }
  ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void DialogControls::FocusFirst() {
  HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(dialog_, focus)) return;
  HWND first = ::GetNextDlgTabItem(dialog_, nullptr, FALSE);
  if (first != nullptr) ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

DialogControls::Control* DialogControls::Find(int control) {
  for (Control& c : controls_) {
    if (c.layout->id == control) return &c;
  }
  return nullptr;
}
const DialogControls::Control* DialogControls::Find(int control) const {
  return const_cast<DialogControls*>(this)->Find(control);
}
DialogControls::Control* DialogControls::FromWindowId(int window_id) { return Find(window_id - kFirstWindowId); }
DialogControls::Control* DialogControls::FromWindow(HWND window) {
  for (Control& c : controls_) {
    if (c.hwnd == window && window != nullptr) return &c;
  }
  return nullptr;
}

void DialogControls::SetText(int control, std::wstring_view text) {
  Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr || Text(control) == text) return;  // no repaint, selection kept
  std::wstring value(text);
  ::SetWindowTextW(c->hwnd, value.c_str());
}

void DialogControls::SetItems(int control, std::span<const std::wstring> items) {
  Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr) return;
  ::SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items) {
    ::SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

std::wstring DialogControls::Text(int control) const {
  const Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr) return {};
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(c->hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(c->hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DialogControls::SetSelection(int control, int index) {
  if (Control* c = Find(control); c != nullptr && c->hwnd != nullptr) {
    ::SendMessageW(c->hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);  // -1 clears it
  }
}

int DialogControls::Selection(int control) const {
  const Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr) return -1;
  return static_cast<int>(::SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
}

void DialogControls::SetScrollPosition(int control, int position) {
  if (Control* c = Find(control); c != nullptr && c->hwnd != nullptr) {
    ::SetScrollPos(c->hwnd, SB_CTL, position, TRUE);
    c->reported = ::GetScrollPos(c->hwnd, SB_CTL);
  }
}

int DialogControls::ScrollPosition(int control) const {
  const Control* c = Find(control);
  return c != nullptr && c->hwnd != nullptr ? ::GetScrollPos(c->hwnd, SB_CTL) : 0;
}

void DialogControls::SetFillColour(int control, std::uint32_t bgr) {
  if (Control* c = Find(control); c != nullptr && c->fill != bgr) {
    c->fill = bgr;
    if (c->hwnd != nullptr) ::InvalidateRect(c->hwnd, nullptr, TRUE);
  }
}

std::uint32_t DialogControls::FillColour(int control) const {
  const Control* c = Find(control);
  return c != nullptr ? c->fill : 0;
}

void DialogControls::SetChord(int control, Chord chord) {
  if (Control* c = Find(control); c != nullptr && c->hwnd != nullptr && c->layout->kind == ControlKind::ShortcutBox) {
    c->chord = chord;
    SetBoxChord(c->hwnd, chord);
  }
}

Chord DialogControls::ChordOf(int control) const {
  const Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr || c->layout->kind != ControlKind::ShortcutBox) return {};
  return BoxChord(c->hwnd);
}

void DialogControls::SetEnabled(int control, bool enabled) {
  if (Control* c = Find(control); c != nullptr && c->hwnd != nullptr) ::EnableWindow(c->hwnd, enabled ? TRUE : FALSE);
}

void DialogControls::SetChecked(int control, bool checked) {
  if (Control* c = Find(control); c != nullptr && c->hwnd != nullptr) {
    ::SendMessageW(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool DialogControls::Checked(int control) const {
  const Control* c = Find(control);
  return c != nullptr && c->hwnd != nullptr && ::SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogControls::DropDown(int control) {
  Control* c = Find(control);
  if (c == nullptr || c->hwnd == nullptr || c->layout->kind != ControlKind::DropDownList) return;
  // As the dialog moves the focus itself (the default button follows), then the list opens.
  ::SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c->hwnd), TRUE);
  ::SendMessageW(c->hwnd, CB_SHOWDROPDOWN, TRUE, 0);
}

LRESULT CALLBACK DialogControls::ShortcutBoxProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                      DWORD_PTR self) {
  // An exception must never unwind into the system's dispatch; the one a
  // handler can meet (allocation) drops that key's work.
  try {
    auto* controls = reinterpret_cast<DialogControls*>(self);
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (wparam == VK_BACK || wparam == VK_DELETE) {
          if (Control* control = controls->FromWindow(hwnd)) controls->ShortcutCleared(*control);
          return 0;
        }
        if (TypesWithHeldModifiers(wparam)) return 0;
        if (Control* control = controls->FromWindow(hwnd)) control->key_down = true;
        [[fallthrough]];
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_KILLFOCUS: {
        const LRESULT result = ::DefSubclassProc(hwnd, message, wparam, lparam);
        if (message == WM_KILLFOCUS) controls->PauseShortcuts(hwnd, false);
        // A chord is reported after a key went down in the box only: tabbing
        // through a box whose chord it cannot show (one with the Windows key),
        // whose Tab comes up in it, must not rewrite that chord.
        if (Control* control = controls->FromWindow(hwnd)) {
          controls->ShortcutTyped(*control, message != WM_KILLFOCUS && control->key_down);
          if (message == WM_KILLFOCUS) control->key_down = false;
        }
        return result;
      }
      case WM_SETFOCUS:
        if (Control* control = controls->FromWindow(hwnd)) control->key_down = false;
        controls->PauseShortcuts(hwnd, true);
        break;
      case WM_NCDESTROY:
        controls->PauseShortcuts(hwnd, false);
        ::RemoveWindowSubclass(hwnd, &DialogControls::ShortcutBoxProcedure, kShortcutBoxSubclass);
        break;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

void DialogControls::PauseShortcuts(HWND box, bool paused) {
  if (paused) {
    pausing_box_ = box;
    platform_.PauseHotkeys(true);
  } else if (pausing_box_ == box) {
    pausing_box_ = nullptr;
    platform_.PauseHotkeys(false);
  }
}

void DialogControls::ShortcutCleared(Control& control) {
  SetBoxChord(control.hwnd, {});
  if (control.chord == Chord{}) return;
  control.chord = {};
  events_.OnChordChange(control.layout->id);  // last: it may close the dialog
}

void DialogControls::ShortcutTyped(Control& control, bool by_key) {
  const Chord typed = BoxChord(control.hwnd);
  if (!by_key) {
    if (typed != control.chord) SetBoxChord(control.hwnd, control.chord);
    return;
  }
  if (typed.key == 0) {
    // Modifiers alone: reported once a key completes them. Let go (or the
    // focus gone) without one, the box shows again the chord in effect.
    if ((!ModifierHeld() || ::GetFocus() != control.hwnd) && BoxChord(control.hwnd) != control.chord) {
      SetBoxChord(control.hwnd, control.chord);
    }
    return;
  }
  if (typed == control.chord) return;
  control.chord = typed;
  events_.OnChordChange(control.layout->id);  // last: it may close the dialog
}

// Arrows and trough move one position; the thumb follows a drag, and the
// change is reported once the move is complete and only when it changed.
void DialogControls::Scrolled(Control& control, int code, int thumb) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ::GetScrollInfo(control.hwnd, SB_CTL, &info);
  int position = info.nPos;
  switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      --position;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      ++position;
      break;
    case SB_LEFT:
      position = info.nMin;
      break;
    case SB_RIGHT:
      position = info.nMax;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = thumb;
      break;
    default:  // SB_ENDSCROLL
      break;
  }
  position = std::clamp(position, info.nMin, info.nMax);
  if (position != info.nPos) ::SetScrollPos(control.hwnd, SB_CTL, position, TRUE);
  if (code == SB_THUMBTRACK || position == control.reported) return;
  control.reported = position;
  events_.OnScrollChange(control.layout->id, position);
}

void DialogControls::PaintLines(HDC dc) const {
  for (const platform::DrawnLine& line : layout_.lines) {
    const OwnedGdiObject pen(::CreatePen(PS_SOLID, line.width_pixels, line.colour));
    if (!pen) continue;
    const Selected drawing(dc, pen.get());  // deselected before the pen is deleted
    ::MoveToEx(dc, scale().Pixel(line.x1), scale().Pixel(line.y1), nullptr);
    ::LineTo(dc, scale().Pixel(line.x2), scale().Pixel(line.y2));
  }
}

bool DialogControls::Handle(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case WM_COMMAND: {
      const int window_id = LOWORD(wparam), code = HIWORD(wparam);
      // Enter with no default button, and Esc, come as IDOK and IDCANCEL.
      if (window_id == IDCANCEL && layout_.cancel_button >= 0) {
        events_.OnControlClick(layout_.cancel_button);
        result = TRUE;
        return true;
      }
      Control* control = FromWindowId(window_id);
      if (control == nullptr) return false;
      const ControlKind kind = control->layout->kind;
      result = TRUE;
      if (((kind == ControlKind::Button || kind == ControlKind::CheckBox) && code == BN_CLICKED) ||
          (kind == ControlKind::Swatch && code == STN_CLICKED))
        events_.OnControlClick(control->layout->id);
      else if (kind == ControlKind::DropDownList && code == CBN_SELCHANGE)
        events_.OnSelectionChange(control->layout->id);
      return true;
    }
    case WM_HSCROLL: {
      HWND bar = reinterpret_cast<HWND>(lparam);
      for (Control& control : controls_) {
        if (control.hwnd == bar && bar != nullptr) {
          Scrolled(control, LOWORD(wparam), HIWORD(wparam));
          result = TRUE;
          return true;
        }
      }
      return false;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      Control* control = FromWindowId(static_cast<int>(item->CtlID));
      if (control == nullptr) return false;
      HBRUSH brush = ::CreateSolidBrush(control->fill);
      ::FillRect(item->hDC, &item->rcItem, brush);
      ::DeleteObject(brush);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      HWND window = reinterpret_cast<HWND>(lparam);
      for (const Control& control : controls_) {
        if (control.hwnd == window && control.layout->text_colour != platform::kWindowTextColour) {
          HDC dc = reinterpret_cast<HDC>(wparam);
          ::SetTextColor(dc, control.layout->text_colour);
          ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
          result = reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
          return true;
        }
      }
      return false;
    }
    case WM_PAINT: {
      if (layout_.lines.empty()) return false;
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(dialog_, &paint);
      PaintLines(dc);
      ::EndPaint(dialog_, &paint);
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace rc::win32
