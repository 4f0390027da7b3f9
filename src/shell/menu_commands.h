#pragma once
// Popup-menu commands that live in the shell. AlwaysOnTop is in always_on_top.h,
// the dialog commands go through DialogHost, Finish is the start-up window's.

#include "platform/popup_menu.h"
#include "settings/program_settings.h"

namespace rc::shell {

// The Hold command: the item's check mark decides, HoldPosition follows it.
// Nothing is saved until the exit command.
void Hold(platform::PopupMenu& menu, settings::ProgramSettings& settings);

// Before the menu opens: the Hold check mark shows HoldPosition.
void RefreshHoldCheck(platform::PopupMenu& menu, const settings::ProgramSettings& settings);

}  // namespace rc::shell
