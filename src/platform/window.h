#pragma once
// A window of the cross, in twips: plain (no border, caption bar, sizing frame
// or 3-D edge, no title) from its creation. Setting a property to the value it
// already has does nothing: no platform call and no repaint.

#include <cstdint>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

// The classes of the cross windows, registered under the names of the windows
// they make so that tools outside the program can find them. (The start-up
// window is a ShellWindow, of class kStartUpWindowName.)
enum class WindowClass {
  CentreHandle,  // "frm_Center": the draggable square in the middle of the cross
  Bar,           // "BarWindow": one segment of the cross
};

// What a cross window reports to its owner, on the user-interface thread.
// Painting is the platform's own: a window fills itself with its background
// colour and tells nothing.
class WindowEvents {
 public:
  // Something other than the program moved the window (the system, when a
  // monitor went); the program's own moves and a drag's steps do not count.
  virtual void OnMoved() {}
  // The window is now on a monitor of another scale.
  virtual void OnScaleChanged() {}
  virtual void OnMouseButtonDown() {}

 protected:
  ~WindowEvents() = default;
};

// Stores `value` in `field`; true when that changed it. The property setters
// of every window act only on a change.
template <typename T>
constexpr bool Update(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

class Window {
 public:
  virtual ~Window() = default;

  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

  // 0x00BBGGRR
  virtual std::uint32_t BackColour() const = 0;
  virtual void SetBackColour(std::uint32_t bgr) = 0;

  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;

  // How opaque the window is drawn: 255 fully, 0 not at all. The mouse acts on
  // the window as at 255.
  virtual std::uint8_t Alpha() const = 0;
  virtual void SetAlpha(std::uint8_t alpha) = 0;

  // Stacking is an action, not a cached property: every call reaches the platform.
  virtual void SetTopmost(bool topmost) = 0;

  // Left out of screen captures and shared screens, or shown in them again.
  // Fails where the system cannot (before Windows 10 2004); the window is then
  // as it was.
  virtual Status SetExcludedFromCapture(bool excluded) = 0;

  // Shows the window if hidden, activates it and brings it to the front.
  virtual void ShowActivated() = 0;

  // Moves the window with the pointer from the mouse press being handled, until
  // that button is released or the mouse capture is lost; Esc puts it back where
  // it started. Returns when the move ends.
  virtual void BeginDrag() = 0;
};

}  // namespace rc::platform
