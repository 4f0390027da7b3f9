// The cross layout over the in-memory platform: how many platform calls a
// repaint makes when nothing changed (must be none) and after a move, and how
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

void BM_SteadyStateRepaint(benchmark::State& state) {
  Fixture f;
  std::size_t calls = 0;
  for (auto _ : state) {
    f.handle->events().OnRepaint();
    calls += f.platform.log.all().size();
    f.platform.log.Clear();
  }
  state.counters["platform_calls_per_repaint"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SteadyStateRepaint);

// The handle moved by the user, then the repaint that lays the cross out
// around it: every bar gets a new top or left edge.
void BM_RepaintAfterMove(benchmark::State& state) {
  Fixture f;
  std::size_t calls = 0;
  float x = 3000;
  for (auto _ : state) {
    x = x == 3000 ? 4500 : 3000;
    f.handle->MoveByUser(x, x);
    f.handle->events().OnRepaint();
    calls += f.platform.log.all().size();
    f.platform.log.Clear();
  }
  state.counters["platform_calls_per_move"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RepaintAfterMove);

// Every property of every part changes: size, colour and visibility flip each run.
void BM_FullLayout(benchmark::State& state) {
  Fixture f;
  bool odd = false;
  for (auto _ : state) {
    odd = !odd;
    auto& v = f.store.values();
    v.Length = odd ? 400 : 350;
    v.Thickness = odd ? 60 : 50;
    v.CrossColor = odd ? L"65280" : L"255";
    v.PartVisible.fill(odd);
    rc::cross::CrossLayout(f.cross);
    f.platform.log.Clear();
  }
}
BENCHMARK(BM_FullLayout);

}  // namespace
