#pragma once
// The crosshair: eighteen bar windows around the draggable centre handle, and
// the two routines that style and lay them out.

#include "cross/bar_windows.h"
#include "cross/centre_handle.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace rc::cross {

class Cross {
 public:
  Cross(platform::Platform& platform, settings::SettingsStore& store)
      : platform_(platform), store_(store), bars_(platform), handle_(*this) {}
  Cross(const Cross&) = delete;
  Cross& operator=(const Cross&) = delete;

  BarWindows& bars() { return bars_; }
  CentreHandle& handle() { return handle_; }
  const CentreHandle& handle() const { return handle_; }
  // Makes the nineteen windows, hidden, in kWindowOrder, then runs the
  // handle's load, which styles them, places the handle and lays out the cross.
  // Every other operation needs the windows made.
  void CreateWindows();
  // Part 0 is the centre handle's window, 1..18 the bar of that number.
  platform::Window& Part(int part);

  platform::Platform& platform() { return platform_; }
  settings::SettingsStore& store() { return store_; }

 private:
  platform::Platform& platform_;
  settings::SettingsStore& store_;
  BarWindows bars_;
  CentreHandle handle_;
};

// Places, sizes, colours and shows or hides every part around the centre
// handle's current left and top edge, from the settings alone; the handle keeps
// its place. One window batch, so the cross never shows half-moved. With
// unchanged settings and position it makes no platform call.
void CrossLayout(Cross& cross);

}  // namespace rc::cross
