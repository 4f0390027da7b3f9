// The cross layout over the in-memory platform: how many platform calls a
// layout makes when nothing changed (must be none) and after a move, and how
// long a full layout takes.
#include <benchmark/benchmark.h>

#include "cross/cross.h"
#include "platform/fake/fake_platform.h"

namespace {

using rc::cross::Cross;

struct Fixture {
  Fixture() {
    (void)store.ApplyFirstRunDefaults();
    cross.CreateWindows();
    handle = platform.Find("frm_Center");
    platform.log.Clear();
  }
  rc::fake::FakePlatform platform;
  rc::settings::SettingsStore store{platform.settings(), platform.screen()};
  Cross cross{platform, store};
  rc::fake::FakeWindow* handle = nullptr;
};

void BM_SteadyStateLayout(benchmark::State& state) {
  Fixture f;
  std::size_t calls = 0;
  for (auto _ : state) {
    f.handle->events().OnMoved();
    calls += f.platform.log.all().size();
    f.platform.log.Clear();
  }
  state.counters["platform_calls_per_layout"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SteadyStateLayout);

// The handle moved from outside, then the layout around it: every bar gets a
// new top or left edge.
void BM_LayoutAfterMove(benchmark::State& state) {
  Fixture f;
  std::size_t calls = 0;
  float x = 3000;
  for (auto _ : state) {
    x = x == 3000 ? 4500 : 3000;
    f.handle->MoveByUser(x, x);
    f.handle->events().OnMoved();
    calls += f.platform.log.all().size();
    f.platform.log.Clear();
  }
  state.counters["platform_calls_per_move"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_LayoutAfterMove);

// Every property of every part changes: size, colour and visibility flip each
// run, in one layout (the cross hears none of the changes that lead to it).
void BM_FullLayout(benchmark::State& state) {
  using rc::settings::ProgramSettings;
  Fixture f;
  f.store.Unsubscribe(f.cross);
  bool odd = false;
  for (auto _ : state) {
    state.PauseTiming();
    odd = !odd;
    (void)f.store.Set(&ProgramSettings::Length, odd ? 400 : 350);
    (void)f.store.Set(&ProgramSettings::Thickness, odd ? 60 : 50);
    (void)f.store.Set(&ProgramSettings::CrossColor, odd ? L"65280" : L"255");
    for (int part = 0; part < rc::settings::kPartCount; ++part) (void)f.store.SetPartVisible(part, odd);
    state.ResumeTiming();
    rc::cross::CrossLayout(f.cross);
    f.platform.log.Clear();
  }
}
BENCHMARK(BM_FullLayout);

}  // namespace
