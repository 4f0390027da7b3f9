#include "shell/menu_commands.h"

#include "shell/popup_menu_items.h"

namespace rc::shell {

void Hold(platform::PopupMenu& menu, settings::ProgramSettings& settings) {
  const bool hold = !menu.IsChecked(kHold);
  settings.HoldPosition = hold;
  menu.SetChecked(kHold, hold);
}

void RefreshHoldCheck(platform::PopupMenu& menu, const settings::ProgramSettings& settings) {
  menu.SetChecked(kHold, settings.HoldPosition);
}

}  // namespace rc::shell
