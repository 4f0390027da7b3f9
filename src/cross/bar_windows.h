#pragma once
// The eighteen bar windows Form1..Form18: plain coloured rectangles whose one
// event, a change of scale, goes to the cross.

#include <array>
#include <memory>

#include "cross/cross_geometry.h"
#include "platform/platform.h"

namespace rc::cross {

class BarWindows {
 public:
  BarWindows(platform::Platform& platform, platform::WindowEvents& events) : platform_(platform), events_(events) {}

  // Makes bar `number`, 1..18, hidden.
  void Create(int number);
  // Bar `number`, once made.
  platform::Window& Bar(int number);

 private:
  platform::Platform& platform_;
  platform::WindowEvents& events_;
  std::array<std::unique_ptr<platform::Window>, kBarCount> bars_;
};

// Makes a cross window; when the platform cannot, tells the user (the program
// cannot run without its cross) and ends the process.
std::unique_ptr<platform::Window> MakeCrossWindow(platform::Platform& platform, platform::WindowClass window_class,
                                                  std::wstring_view name, platform::WindowEvents& events);

}  // namespace rc::cross
