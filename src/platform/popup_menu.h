#pragma once
#include <span>
#include <string_view>

namespace rc::platform {

// A point on the screen in pixels.
struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

struct MenuItem {
  int command;  // reported back through ShellEvents::OnMenuCommand
  std::wstring_view caption;
};

class PopupMenu {
 public:
  virtual ~PopupMenu() = default;
  virtual bool IsChecked(int command) const = 0;
  virtual void SetChecked(int command, bool checked) = 0;
  // Shows the menu at the mouse pointer, left-aligned, chosen with the left
  // button; the chosen command arrives as the owner window's menu command.
  virtual void ShowAtPointer() = 0;
  // The same with its top-left corner at `point` (a menu opened from the keyboard).
  virtual void ShowAt(PixelPoint point) = 0;
};

}  // namespace rc::platform
