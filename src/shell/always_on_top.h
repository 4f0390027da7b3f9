#pragma once
// Always on top: the nineteen cross windows share one stacking state, all
// topmost or all ordinary. The start-up window and the dialogs never are.

#include "cross/cross.h"
#include "platform/popup_menu.h"
#include "settings/program_settings.h"

namespace rc::shell {

// Gives every cross window, in the windows' order (cross::kWindowOrder), the
// stacking state.
void ApplyStacking(cross::Cross& cross, bool topmost);

// Applies the stored OnTop once at start-up; afterwards OnTop and the check
// mark of the AlwaysOnTop item agree.
void Ini_OnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu);

// The AlwaysOnTop menu command: the item's check mark, not OnTop, decides the
// direction. Nothing is saved until the exit command.
void AlwaysOnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu);

}  // namespace rc::shell
