#include "cross/bar_windows.h"

#include <cassert>
#include <string>
#include <utility>

namespace rc::cross {

std::unique_ptr<platform::Window> MakeCrossWindow(platform::Platform& platform, platform::WindowClass window_class,
                                                  std::wstring_view name, platform::WindowEvents& events) {
  platform::Made<platform::Window> made = platform.MakeWindow(window_class, name, events);
  if (!made.object) {
    platform::MessageBoxes& messages = platform.messages();
    messages.ShowMessage(platform::StartFailedText(name, messages.ReasonText(made.status)));
    platform.EndProcess(1);
  }
  return std::move(made.object);
}

void BarWindows::Create(int number) {
  assert(number >= 1 && number <= kBarCount);
  bars_[static_cast<std::size_t>(number - 1)] =
      MakeCrossWindow(platform_, platform::WindowClass::Bar, L"Form" + std::to_wstring(number), events_);
}

platform::Window& BarWindows::Bar(int number) {
  assert(number >= 1 && number <= kBarCount && bars_[static_cast<std::size_t>(number - 1)]);
  return *bars_[static_cast<std::size_t>(number - 1)];
}

}  // namespace rc::cross
