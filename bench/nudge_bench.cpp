// The nudge over the in-memory platform: one press of Ctrl+Alt+Shift+arrow as
// the start-up window receives it, on a started program whose nineteen windows
// are all shown. A step moves the cross one pixel; the presses go there and
// back, so every step is a real move and the cross stays where it started.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <set>
#include <string>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"

namespace {

// The start-up window's hotkey ids (src/shell/shortcuts.cpp).
constexpr int kLeft = 3, kUp = 4, kRight = 5, kDown = 6;

struct StartedProgram {
  StartedProgram() {
    // The handle where the last run left it and every part's flag on.
    for (int part = 0; part < 19; ++part) platform.fake_settings.Put("Dizodudoz/폼/" + std::to_string(part), "1");
    platform.fake_settings.Put("Dizodudoz/위치/XPosition", "6000");
    platform.fake_settings.Put("Dizodudoz/위치/YPosition", "4000");
    if (!startup.Load() || platform.fake_hotkeys.registered.size() != 7) std::abort();
    platform.log.Clear();
  }
  rc::fake::FakePlatform platform;
  rc::app::StartUpWindow startup{platform};
};

// One step: its time, the platform calls it made (each a "<window>.<property>
// <value>" line of the fake's log) and, from a first step outside the timing,
// how many distinct windows those calls moved.
void Nudge(benchmark::State& state, int forth, int back) {
  StartedProgram p;
  p.startup.OnHotkey(forth);
  std::set<std::string> windows;
  for (const std::string& call : p.platform.log.all()) windows.insert(call.substr(0, call.find('.')));
  p.startup.OnHotkey(back);
  p.platform.log.Clear();
  std::size_t calls = 0;
  bool there = false;
  for (auto _ : state) {
    there = !there;
    p.startup.OnHotkey(there ? forth : back);
    calls += p.platform.log.all().size();
    p.platform.log.Clear();
  }
  state.counters["platform_calls_per_step"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
  state.counters["windows_moved"] = static_cast<double>(windows.size());
}

void BM_NudgeHorizontal(benchmark::State& state) { Nudge(state, kRight, kLeft); }
BENCHMARK(BM_NudgeHorizontal);

void BM_NudgeVertical(benchmark::State& state) { Nudge(state, kDown, kUp); }
BENCHMARK(BM_NudgeVertical);

}  // namespace
