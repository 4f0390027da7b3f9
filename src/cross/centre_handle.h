#pragma once
// The centre handle frm_Center: the square in the middle of the cross and the
// only part the user can move. The cross follows it.

#include <memory>

#include "platform/screen.h"
#include "platform/window.h"

namespace rc::cross {

class Cross;

// Lets the user move `window` with the pointer from the press that started it;
// returns when the user lets go (or presses Esc, which puts it back).
inline void BeginWindowDrag(platform::Window& window) { window.BeginDrag(); }

class CentreHandle final : public platform::WindowEvents {
 public:
  explicit CentreHandle(Cross& cross) : cross_(cross) {}
  CentreHandle(const CentreHandle&) = delete;
  CentreHandle& operator=(const CentreHandle&) = delete;

  // Makes the handle's window, hidden (Cross::CreateWindows).
  void Create();
  // Load handler, once every cross window is made: style the cross, move the
  // handle to the stored place (top, then left), lay out.
  void Load();
  // The handle's window, once made.
  platform::Window& window() { return *window_; }
  // The window if it has been created, else null; never creates it.
  const platform::Window* existing() const { return window_.get(); }

  // The handle has moved (a drag, a nudge, a bring, the system): the cross is
  // laid out around it and its edges become the stored place.
  void OnMoved() override;
  // Its monitor's scale changed: the cross is laid out for it again.
  void OnScaleChanged() override;
  // Mouse-button handler: unless the position is held, hides the bars, lets the
  // user move the handle, then takes the move.
  void OnMouseButtonDown() override;
  // A drag is under way: nothing but its end lays the cross out.
  bool dragging() const { return dragging_; }

  // Moves the cross so that the handle's middle is on that pixel, and lays it
  // out; the position follows, as after a drag. Any place is taken, as a drag
  // takes it.
  void MoveCentreTo(platform::PixelPoint pointer);
  // Moves the cross by whole pixels (-1, 0 or 1 each way), as above.
  void Nudge(int dx, int dy);

  // The screen changed: a handle that lies on no attached monitor any more
  // comes back as at start-up (where a first run puts it); a handle still on a
  // monitor stays where it is. The cross is laid out around it.
  void OnDisplayChanged();

 private:
  // The handle to the stored place: top, then left.
  void MoveToStoredPlace();

  Cross& cross_;
  std::unique_ptr<platform::Window> window_;
  bool dragging_ = false;
};

}  // namespace rc::cross
