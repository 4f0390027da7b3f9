#include "shell/always_on_top.h"

#include "shell/popup_menu_items.h"

namespace rc::shell {

namespace {
void SetState(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu, bool on) {
  ApplyStacking(cross, on);
  menu.SetChecked(kAlwaysOnTop, on);
  settings.OnTop = on;
}
}  // namespace

void ApplyStacking(cross::Cross& cross, bool topmost) {
  // Hidden parts get the state too, so they come up right when shown later.
  for (int part : cross::kWindowOrder) cross.Part(part).SetTopmost(topmost);
}

void Ini_OnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu) {
  SetState(cross, settings, menu, settings.OnTop);
}

void AlwaysOnTop(cross::Cross& cross, settings::ProgramSettings& settings, platform::PopupMenu& menu) {
  SetState(cross, settings, menu, !menu.IsChecked(kAlwaysOnTop));
}

}  // namespace rc::shell
