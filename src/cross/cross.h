#pragma once
// The crosshair: eighteen bar windows around the draggable centre handle, and
// the routine that lays them out.

#include "cross/bar_windows.h"
#include "cross/centre_handle.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace rc::cross {

// Follows the settings it is drawn from: a change of colour, opacity, a size,
// a part flag lays it out again, and a change of always-on-top restacks it.
class Cross final : public settings::SettingsObserver, public platform::WindowEvents {
 public:
  Cross(platform::Platform& platform, settings::SettingsStore& store);
  ~Cross();
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

  // Hidden by its shortcut: every part hidden whatever its flag, until shown
  // again; in memory only, no flag changes.
  bool hidden() const { return hidden_; }
  void SetHidden(bool hidden);

  // Positions convert at the primary monitor's scale, sizes at the scale of
  // the monitor that holds the handle's centre: this is the ratio of the two
  // DPIs as the cross is laid out now (1 on one monitor, or on monitors alike).
  double size_ratio() const { return size_ratio_; }
  // The monitor holding this point (twips) of the screen, or the nearest one.
  platform::Monitor MonitorAt(double x, double y) const;
  // The ratio at that point: its monitor's DPI over the primary's.
  double SizeRatioAt(double x, double y) const;
  // At start-up: the sizes of the monitor the stored place lies on, taken as they are.
  void AdoptSizeRatioAt(double x, double y) { size_ratio_ = SizeRatioAt(x, y); }
  // When the handle's centre has come to a monitor of another scale, the
  // handle's size changes around that centre. Returns the ratio to lay out at.
  double FollowHandleMonitor();

  // Gives every cross window, in the windows' order, the stored stacking
  // state; hidden parts too, so that they come up right when shown later.
  void ApplyStacking();
  // Leaves every cross window out of screen captures, or shows it in them, as
  // stored. Where the system cannot, the cross stays as it was and the store
  // is told it is not done.
  void ApplyCaptureExclusion();

  void OnSettingChanged(settings::Setting setting) override;
  // A bar's scale changed (it is told its monitor's DPI): the cross is laid out
  // for the monitor of its handle again. During a drag the drag's end does it.
  void OnScaleChanged() override;

  platform::Platform& platform() { return platform_; }
  settings::SettingsStore& store() { return store_; }
  const settings::SettingsStore& store() const { return store_; }

 private:
  platform::Platform& platform_;
  settings::SettingsStore& store_;
  BarWindows bars_;
  CentreHandle handle_;
  bool hidden_ = false;
  double size_ratio_ = 1;
};

// Places, sizes, colours and shows or hides every part around the centre
// handle's current left and top edge, from the settings alone; the handle keeps
// its place (its size follows its monitor's scale, around its centre). One
// window batch, so the cross never shows half-moved. With unchanged settings
// and position it makes no platform call.
void CrossLayout(Cross& cross);

}  // namespace rc::cross
