#pragma once
// The eighteen bar windows Form1..Form18: plain coloured rectangles with no
// handlers of their own.

#include <array>
#include <memory>

#include "cross/cross_geometry.h"
#include "platform/platform.h"

namespace rc::cross {

class BarWindows {
 public:
  explicit BarWindows(platform::Platform& platform) : platform_(platform) {}

  // Makes bar `number`, 1..18, hidden.
  void Create(int number);
  // Bar `number`, once made.
  platform::Window& Bar(int number);

 private:
  // Bars have no mouse handling and draw nothing: the platform fills them with
  // their background colour.
  struct NoEvents final : platform::WindowEvents {};

  platform::Platform& platform_;
  NoEvents events_;
  std::array<std::unique_ptr<platform::Window>, kBarCount> bars_;
};

// Makes a cross window; when the platform cannot, tells the user (the program
// cannot run without its cross) and ends the process.
std::unique_ptr<platform::Window> MakeCrossWindow(platform::Platform& platform, platform::WindowClass window_class,
                                                  std::wstring_view name, platform::WindowEvents& events);

}  // namespace rc::cross
