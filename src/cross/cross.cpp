#include "cross/cross.h"

#include <algorithm>
#include <limits>

namespace rc::cross {

Cross::Cross(platform::Platform& platform, settings::SettingsStore& store)
    : platform_(platform), store_(store), bars_(platform, *this), handle_(*this) {
  using settings::Setting;
  store_.Subscribe(*this, {Setting::CrossColor, Setting::Opacity, Setting::Length, Setting::Thickness, Setting::Gap,
                           Setting::PartVisible, Setting::OnTop, Setting::ExcludeFromCapture});
}

Cross::~Cross() { store_.Unsubscribe(*this); }

void Cross::OnSettingChanged(settings::Setting setting) {
  if (handle_.existing() == nullptr) return;  // nothing made yet to follow the settings
  if (setting == settings::Setting::OnTop) {
    ApplyStacking();
  } else if (setting == settings::Setting::ExcludeFromCapture) {
    ApplyCaptureExclusion();
  } else {
    CrossLayout(*this);
  }
}

void Cross::OnScaleChanged() {
  if (handle_.existing() != nullptr && !handle_.dragging()) CrossLayout(*this);
}

void Cross::ApplyStacking() {
  for (int part : kWindowOrder) Part(part).SetTopmost(store_.values().OnTop);
}

void Cross::ApplyCaptureExclusion() {
  const bool excluded = store_.values().ExcludeFromCapture;
  if (excluded && !platform_.screen().CanExcludeFromCapture()) {
    (void)store_.Set(&settings::ProgramSettings::ExcludeFromCapture, false);
    return;
  }
  for (int part : kWindowOrder) {
    if (Part(part).SetExcludedFromCapture(excluded).ok() || !excluded) continue;
    // Refused: the windows done so far are shown in captures again, and the
    // setting says what holds (telling this again, which shows them).
    (void)store_.Set(&settings::ProgramSettings::ExcludeFromCapture, false);
    return;
  }
}

platform::Window& Cross::Part(int part) { return part == 0 ? handle_.window() : bars_.Bar(part); }

void Cross::CreateWindows() {
  for (int part : kWindowOrder) {
    if (part == 0) {
      handle_.Create();
    } else {
      bars_.Create(part);
    }
  }
  handle_.Load();
}

void Cross::SetHidden(bool hidden) {
  if (hidden_ == hidden) return;
  hidden_ = hidden;
  CrossLayout(*this);
  // Shown again, an always-on-top cross goes back above the topmost windows
  // raised while it was hidden.
  if (!hidden_ && store_.values().OnTop) ApplyStacking();
}

platform::Monitor Cross::MonitorAt(double x, double y) const {
  const platform::Screen& screen = platform_.screen();
  platform::Monitor found{{0, 0, screen.WidthTwips(), screen.HeightTwips()}, screen.ScaleX().dots_per_inch()};
  double nearest = std::numeric_limits<double>::infinity();
  for (const platform::Monitor& m : screen.Monitors()) {
    const auto left = static_cast<double>(m.area.left), top = static_cast<double>(m.area.top);
    const double right = left + static_cast<double>(m.area.width), bottom = top + static_cast<double>(m.area.height);
    const double dx = std::max({left - x, 0.0, x - right}), dy = std::max({top - y, 0.0, y - bottom});
    if (dx * dx + dy * dy < nearest) nearest = dx * dx + dy * dy, found = m;
  }
  return found;
}

double Cross::SizeRatioAt(double x, double y) const {
  return static_cast<double>(MonitorAt(x, y).dpi) / platform_.screen().ScaleX().dots_per_inch();
}

double Cross::FollowHandleMonitor() {
  platform::Window& handle = handle_.window();
  const double thickness = store_.values().Thickness;
  const double half = thickness * size_ratio_ / 2;
  const double centre_x = static_cast<double>(handle.Left()) + half;
  const double centre_y = static_cast<double>(handle.Top()) + half;
  const double ratio = SizeRatioAt(centre_x, centre_y);
  if (ratio != size_ratio_) {
    size_ratio_ = ratio;
    handle.SetLeft(static_cast<float>(centre_x - thickness * ratio / 2));
    handle.SetTop(static_cast<float>(centre_y - thickness * ratio / 2));
  }
  return ratio;
}

void CrossLayout(Cross& cross) {
  const settings::ProgramSettings& s = cross.store().values();
  const CrossSize size{s.Length, s.Thickness, s.Gap};
  const std::uint32_t colour = CrossColourValue(s.CrossColor);
  const std::uint8_t alpha = OpacityAlpha(s.Opacity);
  platform::Window& handle = cross.handle().window();
  platform::WindowBatch batch(cross.platform());
  const double ratio = cross.FollowHandleMonitor();
  const PixelScale x = cross.platform().screen().ScaleX(), y = cross.platform().screen().ScaleY();
  for (int part : kWindowOrder) {
    platform::Window& window = cross.Part(part);
    // The handle's edges are read afresh for every part: nothing is cached.
    const BarRect place = PlaceOnPixels(part, size, handle.Left(), handle.Top(), ratio, x, y);
    if (part != 0) {
      window.SetTop(place.top);
      window.SetLeft(place.left);
    }
    window.SetHeight(place.height);
    window.SetWidth(place.width);
    window.SetBackColour(colour);
    window.SetAlpha(alpha);
    // Applied on every run: this also undoes the hiding of a drag.
    window.SetVisible(!cross.hidden() && s.PartVisible[static_cast<std::size_t>(part)]);
  }
}

}  // namespace rc::cross
