#pragma once
#include <span>
#include <string_view>

#include "platform/screen.h"

namespace rc::platform {

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
