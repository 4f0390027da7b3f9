#include "cross/centre_handle.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/rounding.h"
#include "cross/cross.h"
#include "settings/setting_text.h"

namespace rc::cross {

namespace {

// Whether the square at (left, top) with side `side` overlaps an attached
// monitor. A zero side (no stored thickness) is taken as one twip, so that the
// handle's corner still counts.
bool OnSomeMonitor(const platform::Screen& screen, double left, double top, double side) {
  if (side <= 0) side = 1;
  const auto monitors = screen.Monitors();
  if (monitors.empty()) return true;  // nothing known: keep the stored place
  for (const platform::Monitor& monitor : monitors) {
    const platform::TwipsRect& m = monitor.area;
    const auto m_left = static_cast<double>(m.left), m_top = static_cast<double>(m.top);
    const double m_right = m_left + static_cast<double>(m.width), m_bottom = m_top + static_cast<double>(m.height);
    if (left < m_right && left + side > m_left && top < m_bottom && top + side > m_top) return true;
  }
  return false;
}

}  // namespace

void CentreHandle::Create() {
  window_ = MakeCrossWindow(cross_.platform(), platform::WindowClass::CentreHandle, L"frm_Center", *this);
}

void CentreHandle::Load() {
  settings::SettingsStore& store = cross_.store();
  const settings::ProgramSettings& s = store.values();
  // A monitor removed since the last run must not take the crosshair with it:
  // a handle that lies on no attached monitor goes where a first run puts it.
  if (!OnSomeMonitor(cross_.platform().screen(), s.XPosition, s.YPosition, s.Thickness)) store.ResetPosition();
  MoveToStoredPlace();
  // The stored place is the handle's top-left corner at the primary monitor's
  // scale; on a monitor of another scale its size is that monitor's from the start.
  cross_.AdoptSizeRatioAt(s.XPosition, s.YPosition);
  CrossLayout(cross_);
}

void CentreHandle::MoveToStoredPlace() {
  const settings::ProgramSettings& s = cross_.store().values();
  window_->SetTop(static_cast<float>(s.YPosition));
  window_->SetLeft(static_cast<float>(s.XPosition));
}

void CentreHandle::OnDisplayChanged() {
  if (!window_) return;
  settings::SettingsStore& store = cross_.store();
  if (!OnSomeMonitor(cross_.platform().screen(), static_cast<double>(window_->Left()),
                     static_cast<double>(window_->Top()), store.values().Thickness)) {
    store.ResetPosition();
    MoveToStoredPlace();
  }
  // Also when the system itself moved the handle off a monitor it removed:
  // the bars follow. With nothing moved this changes nothing.
  OnMoved();
}

void CentreHandle::OnMoved() {
  if (!window_ || dragging_) return;
  CrossLayout(cross_);
  cross_.store().SetPosition(window_->Left(), window_->Top());
}

void CentreHandle::OnScaleChanged() { cross_.OnScaleChanged(); }

void CentreHandle::MoveCentreTo(platform::PixelPoint pointer) {
  const PixelScale x = cross_.platform().screen().ScaleX(), y = cross_.platform().screen().ScaleY();
  // On whole pixels: the handle's middle pixel (of an even size, the one after
  // the middle) on the pointer's, so that the stored place is that pixel and a
  // restart finds it there. The layout gives the handle the size of the
  // monitor it lands on, around that middle.
  const double side = cross_.store().values().Thickness * cross_.size_ratio();
  platform::WindowBatch batch(cross_.platform());
  window_->SetLeft(x.Twips(pointer.x - x.Pixel(side) / 2));
  window_->SetTop(y.Twips(pointer.y - y.Pixel(side) / 2));
  OnMoved();
}

void CentreHandle::Nudge(int dx, int dy) {
  const PixelScale x = cross_.platform().screen().ScaleX(), y = cross_.platform().screen().ScaleY();
  // From the pixel the handle is seen on, so that every step is one pixel.
  platform::WindowBatch batch(cross_.platform());
  window_->SetLeft(x.Twips(x.Pixel(static_cast<double>(window_->Left())) + dx));
  window_->SetTop(y.Twips(y.Pixel(static_cast<double>(window_->Top())) + dy));
  OnMoved();
}

void CentreHandle::OnMouseButtonDown() {
  if (cross_.store().values().HoldPosition) return;
  {
    platform::WindowBatch batch(cross_.platform());
    for (int n = 1; n <= kBarCount; ++n) cross_.bars().Bar(n).SetVisible(false);
  }
  dragging_ = true;
  BeginWindowDrag(window());
  dragging_ = false;
  OnMoved();
}

}  // namespace rc::cross
