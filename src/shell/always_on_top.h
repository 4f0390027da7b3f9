#pragma once
// Always on top: the nineteen cross windows share one stacking state, all
// topmost or all ordinary. The start-up window and the dialogs never are.

#include <algorithm>
#include <array>

#include "cross/cross.h"
#include "platform/popup_menu.h"
#include "settings/program_settings.h"

namespace rc::shell {

// The order in which the cross windows are stacked (and created at start-up):
// part numbers, 0 the centre handle, 1..18 the bar of that number.
inline constexpr std::array<int, 19> StackedWindows{1,  2,  3,  4,  5,  6,  7,  8,  0, 9,
                                                    10, 11, 12, 13, 14, 15, 16, 17, 18};
static_assert(std::ranges::equal(StackedWindows, cross::kLayoutOrder),
              "the layout visits the windows in the stacking order");

// Gives every cross window, in StackedWindows order, the stacking state;
// creates a window that does not exist yet (the handle's creation runs its load).
void ApplyStacking(cross::Cross& cross, bool topmost);

// Applies the stored OnTop once at start-up; afterwards OnTop and the check
// mark of the AlwaysOnTop item agree.
void Ini_OnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu);

// The AlwaysOnTop menu command: the item's check mark, not OnTop, decides the
// direction. Nothing is saved until the exit command.
void AlwaysOnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu);

}  // namespace rc::shell
