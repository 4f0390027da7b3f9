#include "cross/bar_windows.h"

#include <cassert>
#include <string>

#include "cross/inert_window.h"

namespace rc::cross {

std::unique_ptr<platform::Window> MakeCrossWindow(platform::Platform& platform, platform::WindowClass window_class,
                                                  std::wstring_view name, platform::WindowEvents& events) {
  if (auto window = platform.MakeWindow(window_class, name, events)) return window;
  platform.messages().ShowMessage(L"Reticor2를 시작할 수 없습니다: " + std::wstring(name));
  platform.EndProcess(1);
  return std::make_unique<InertWindow>();
}

platform::Window& BarWindows::Bar(int number) {
  assert(number >= 1 && number <= kBarCount);
  auto& slot = bars_[static_cast<std::size_t>(number - 1)];
  if (!slot) {
    slot = MakeCrossWindow(platform_, platform::WindowClass::Bar, L"Form" + std::to_wstring(number), events_);
  }
  return *slot;
}

}  // namespace rc::cross
