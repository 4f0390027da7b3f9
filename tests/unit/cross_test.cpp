// The cross: placement geometry, what a layout sets, the centre handle's
// repaint and drag, its place and its scale on the monitors, and at start-up
// the order in which the windows are made and stacked, and always on top.
#include <gtest/gtest.h>

#include <array>

#include "base/pixel_scale.h"
#include "base/rounding.h"
#include "cross/cross.h"
#include "shell/popup_menu_items.h"
#include "started_program.h"

namespace rc::cross {
namespace {

using unit::Calls;
using unit::PartName;

// Pins the placement table row by row: the scenarios below see only a bar or
// two, and the end-to-end tier computes its expectations with it.
TEST(CrossGeometry, PlacementTable) {
  // Size: L, T, G; tops of Form1..Form8, lefts of Form9..Form18.
  struct Case {
    const char* name;
    CrossSize size;
    float left, top;
    std::array<float, 8> tops;
    std::array<float, 10> lefts;
  };
  // clang-format off
  const Case cases[] = {
      {"defaults at (14400, 7200)", {350, 50, 350}, 14400, 7200,
       {4400, 5100, 5800, 6500, 7600, 8300, 9000, 9700},
       {10900, 11600, 12300, 13000, 13700, 14800, 15500, 16200, 16900, 17600}},
      {"no gap: solid arms", {350, 50, 0}, 14400, 7200,
       {5800, 6150, 6500, 6850, 7250, 7600, 7950, 8300},
       {12650, 13000, 13350, 13700, 14050, 14450, 14800, 15150, 15500, 15850}},
      // Terms beyond 16 bits (5(L + G) = 327670) and a handle beyond 32767 twips.
      {"largest stored sizes", {32767, 32767, 32767}, 40000, -40000,
       {-302136, -236602, -171068, -105534, 25534, 91068, 156602, 222136},
       {-287670, -222136, -156602, -91068, -25534, 105534, 171068, 236602, 302136, 367670}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const float l = c.size.length, t = c.size.thickness;
    for (int n = 1; n <= 18; ++n) {
      const BarRect expected = n <= 8 ? BarRect{c.left, c.tops[n - 1], t, l} : BarRect{c.lefts[n - 9], c.top, l, t};
      EXPECT_EQ(PlaceBar(n, c.size, c.left, c.top), expected) << PartName(n);
    }
  }
}

// A started program whose store is not a first run, the handle at (6000, 4000).
class CrossTest : public unit::StartedProgram {
 protected:
  void ExpectOnTop(bool on) {
    for (int part : kWindowOrder) EXPECT_EQ(Part(part).topmost(), on) << part;
    EXPECT_EQ(platform.menu->IsChecked(shell::kAlwaysOnTop), on);
    EXPECT_EQ(values().OnTop, on);
  }
};

// A layout changes only what changed, in one batch, so that the repaint a
// recolouring causes finds nothing to change and a layout settles at once.
// Where the bars go, in their colour, shown or hidden, is seen end to end.
// Guards the platform rule that an unchanged value makes no call, which no
// other case counts.
TEST_F(CrossTest, ALayoutSettlesAtOnce) {
  Start(unit::kExitSaved, true);
  platform.log.Clear();
  const int batches = platform.batches;
  (void)store().Set(&settings::ProgramSettings::CrossColor, L"16711680");
  (void)store().Set(&settings::ProgramSettings::Opacity, 50);
  EXPECT_EQ(platform.log.With("Form").size() + platform.log.With("frm").size(), 2 * 19u)
      << "one colour and one alpha call a part";
  EXPECT_EQ(platform.log.With("Form7.alpha"), Calls{"Form7.alpha 128"});
  EXPECT_EQ(platform.batches, batches + 2) << "a layout a change";
  EXPECT_EQ(platform.batch_depth, 0);
  platform.log.Clear();
  Part(0).events().OnMoved();  // nothing moved: nothing to change
  (void)store().Set(&settings::ProgramSettings::Opacity, 50);
  EXPECT_EQ(platform.log.all(), Calls{});
}

// A handle on no attached monitor is placed where a first run puts it (the
// same rule as after a display change, whose table has the other monitors); a
// bar that cannot be made is reported and the program ends (a platform fault
// path, and the edges of the on-a-monitor rule at load).
TEST(CentreHandle, LoadPlacesTheHandleOnAMonitorOrReportsAWindowThatCannotBeMade) {
  const platform::Monitor left_above{{-19200, -10800, 19200, 10800}};
  struct Case {
    const char* name;
    std::int32_t x, y;
    std::vector<platform::Monitor> extra;
    std::int32_t expect_x, expect_y;
    bool form3_fails = false;
  };
  // clang-format off
  const Case cases[] = {
      {"partly off the primary's top-left corner", -30, -30, {}, -30, -30},
      {"just off the primary's left edge", -50, 500, {}, 14400, 8100},
      {"just off its top edge", 500, -50, {}, 14400, 8100},
      {"just off its right edge", 28800, 500, {}, 14400, 8100},
      {"beyond the primary's bottom", 500, 16200, {}, 14400, 8100},
      {"on a monitor left of and above the primary", -9000, -6000, {left_above}, -9000, -6000},
      {"Form3 cannot be made", 100, 200, {}, 100, 200, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakePlatform p;
    p.fake_screen.extra_monitors = c.extra;
    if (c.form3_fails) p.failing_windows = {"Form3"};
    settings::SettingsStore s{p.settings(), p.screen()};
    (void)s.ApplyFirstRunDefaults();
    s.SetPosition(static_cast<float>(c.x), static_cast<float>(c.y));
    Cross x{p, s};
    if (c.form3_fails) {
      EXPECT_THROW(x.CreateWindows(), fake::ProcessEnded);
      EXPECT_EQ(p.fake_messages.shown, Calls{"Reticor2를 시작할 수 없습니다: Form3\nerror 1158"});
      EXPECT_EQ(p.exit_code, 1);
      continue;
    }
    x.CreateWindows();
    EXPECT_EQ(x.handle().window().Left(), static_cast<float>(c.expect_x));
    EXPECT_EQ(x.handle().window().Top(), static_cast<float>(c.expect_y));
    EXPECT_TRUE(p.fake_messages.shown.empty());
  }
}

// After a change of the screen a handle on no monitor comes back where a first
// run puts it, with the cross around it, held or not; one still on a monitor
// stays and nothing is touched, unless the system moved it: then the bars
// follow. The exit save writes where it is.
TEST_F(CrossTest, ADisplayChangeBringsBackAHandleThatLiesOnNoMonitor) {
  Start(unit::kExitSaved, true);
  const platform::Monitor right{{28800, 0, 28800, 16200}};
  struct Case {
    const char* name;
    float left, top;
    std::vector<platform::Monitor> before, after;
    int width_px, height_px;
    bool held;
    float expect_left, expect_top;
  };
  // clang-format off
  const Case cases[] = {
      {"smaller, the handle still on it", 6000, 4000, {}, {}, 1280, 800, false, 6000, 4000},
      {"smaller, the handle beyond its right edge", 27000, 8100, {}, {}, 1280, 800, false, 9600, 6000},
      {"smaller, held, the handle below its bottom", 3000, 12000, {}, {}, 1280, 800, true, 9600, 6000},
      {"a monitor added", 6000, 4000, {}, {right}, 1920, 1080, false, 6000, 4000},
      {"another monitor unplugged", 40000, 3000, {right, {{-28800, 0, 28800, 16200}}}, {right}, 1920, 1080, false,
       40000, 3000},
      {"the handle's monitor unplugged", 40000, 3000, {right}, {}, 1920, 1080, false, 14400, 8100},
  };
  // clang-format on
  // The system moved the handle off a monitor it removed: the bars follow.
  Part(0).MoveByUser(5000, 3000);
  startup.OnDisplayChanged();
  EXPECT_EQ(Part(0).Left(), 5000);
  EXPECT_EQ(Part(14).Left(), 5400);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeScreen& screen = platform.fake_screen;
    screen.width_px = 1920, screen.height_px = 1080, screen.extra_monitors = c.before;
    (void)store().Set(&settings::ProgramSettings::HoldPosition, c.held);
    Part(0).MoveByUser(c.left, c.top);
    Part(0).events().OnMoved();
    screen.width_px = c.width_px, screen.height_px = c.height_px, screen.extra_monitors = c.after;
    platform.log.Clear();
    startup.OnDisplayChanged();
    EXPECT_EQ(Part(0).Left(), c.expect_left);
    EXPECT_EQ(Part(0).Top(), c.expect_top);
    // On the screen: the bars where their offsets put them from the handle's pixel.
    const PixelScale px;
    EXPECT_EQ(px.Pixel(Part(14).Left()), px.Pixel(c.expect_left) + px.Pixel(400));
    EXPECT_EQ(px.Pixel(Part(4).Top()), px.Pixel(c.expect_top) + px.Pixel(-700));
    EXPECT_TRUE(Part(18).Visible());
    if (c.expect_left == c.left && c.expect_top == c.top) {
      EXPECT_EQ(platform.log.all(), Calls{});
    }
    EXPECT_EQ(values().XPosition, static_cast<std::int32_t>(c.expect_left));
    EXPECT_EQ(values().YPosition, static_cast<std::int32_t>(c.expect_top));
  }
  EXPECT_THROW(startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  EXPECT_EQ(platform.fake_settings.Value("Dizodudoz/위치/XPosition"), "14400");
  EXPECT_EQ(platform.fake_settings.Value("Dizodudoz/위치/YPosition"), "8100");
}

// Every window is made in stacking order, after the start-up window, and
// stacked in that order once the layout has shown the cross. Stored off, each
// window is set once; the command turns all nineteen in stacking order and
// nothing else, OnTop, not the check mark, giving the way. A handle switched
// off is never shown.
TEST_F(CrossTest, TheCrossIsMadeAndStackedInWindowOrderAndTurnedByTheCheckMark) {
  unit::Stored stored = unit::kExitSaved;
  stored.insert(stored.end(), {{"Dizodudoz/선택사항/항상위", "False"}, {"Dizodudoz/폼/0", "0"}});
  Start(stored, true);
  Calls seen, expected{"create frm_Pop"}, stacked;
  for (const std::string& call : platform.log.all()) {
    if (call.starts_with("create ") || call.ends_with(".topmost 0") || call == "Form9.visible 1") seen.push_back(call);
  }
  for (int part : kWindowOrder) expected.push_back("create " + PartName(part));
  expected.push_back("Form9.visible 1");
  for (int part : kWindowOrder) stacked.push_back(PartName(part) + ".topmost 1");
  for (int part : kWindowOrder) expected.push_back(PartName(part) + ".topmost 0");
  EXPECT_EQ(seen, expected);
  ExpectOnTop(false);
  EXPECT_EQ(platform.log.With("frm_Center.visible"), Calls{});
  EXPECT_FALSE(Part(0).Visible());
  EXPECT_TRUE(Part(1).Visible());
  platform.menu->SetChecked(shell::kAlwaysOnTop, true);  // a check mark out of step decides nothing
  platform.log.Clear();
  startup.OnMenuCommand(shell::kAlwaysOnTop);
  ExpectOnTop(true);
  EXPECT_EQ(platform.log.all(), stacked);
}

// The exit, and what it saved: the first run's sizes and the position the program wrote.
unit::Stored ExitAndSaved(unit::Program& p) {
  EXPECT_THROW(p.startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  unit::Stored stored = unit::kExitSaved;
  for (const char* key : {"Dizodudoz/위치/XPosition", "Dizodudoz/위치/YPosition"})
    stored.emplace_back(key, p.platform.fake_settings.Value(key));
  return stored;
}

// The primary at 96 DPI and a second monitor at 144 DPI beside it, left, right
// or above. Positions are the primary's twips everywhere; on the second monitor
// the sizes are that monitor's, 1.5 times the primary's twips, every edge on
// its own pixel. The handle that crosses the border keeps its middle; the exit
// save stores its corner, and a start puts that corner back where it was, at
// the scale of the monitor it lies on.
TEST(CrossScale, OnAMonitorOfAnotherScaleTheSizesAreItsOwnAroundTheSameMiddle) {
  struct Case {
    const char* where;
    platform::TwipsRect second;  // 2880 x 1620 pixels
    float x, y;                  // the handle dropped there
  };
  // clang-format off
  const Case cases[] = {
      {"right of the primary", {28800, 0, 43200, 24300}, 40000, 9000},
      {"left of the primary", {-43200, 0, 43200, 24300}, -20000, 9000},
      {"above the primary", {0, -24300, 43200, 24300}, 9000, -12000},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    unit::Program p;
    p.platform.fake_screen.extra_monitors = {{c.second, 144}};
    p.Start(unit::kExitSaved, true);
    EXPECT_EQ(p.Part(14).Left(), 6000 + 50 + 350);
    p.Part(0).MoveByUser(c.x, c.y);  // a drag across the border
    p.Part(0).events().OnMoved();
    const float left = c.x + 25 - 37.5f, top = c.y + 25 - 37.5f;  // the middle kept, 75 twips a side now
    EXPECT_EQ(p.Part(0).Left(), left);
    EXPECT_EQ(p.Part(0).Width(), 75);
    EXPECT_EQ(p.Part(14).Left(), left + 1.5f * (50 + 350));
    EXPECT_EQ(p.Part(14).Width(), 1.5f * 350);
    EXPECT_EQ(p.Part(4).Top(), top - 1.5f * (350 + 350));
    EXPECT_EQ(p.values().XPosition, RoundHalfEven(static_cast<double>(left)));
    p.Part(0).MoveByUser(6000 - 12.5f, 4000 - 12.5f);  // back on the primary
    p.Part(0).events().OnMoved();
    EXPECT_EQ(p.Part(0).Left(), 6000);
    EXPECT_EQ(p.Part(0).Width(), 50);
    p.Part(0).MoveByUser(left, top);
    p.Part(0).events().OnMoved();

    unit::Program next;
    next.platform.fake_screen.extra_monitors = {{c.second, 144}};
    next.Start(ExitAndSaved(p), true);
    EXPECT_EQ(next.Part(0).Left(), static_cast<float>(next.values().XPosition));
    EXPECT_EQ(next.Part(0).Width(), 75);
  }
}

// At 100, 125, 150 and 175 % (96, 120, 144 and 168 DPI), from a stored place
// on no whole pixel and with sizes whose offsets fall on half pixels there
// (T + G + L = 750 twips: 62.5 pixels at 120 DPI, 87.5 at 168):
// each nudge moves every part by exactly one pixel and keeps its size, two
// steps each way; the bring puts the handle's middle pixel on the pointer with
// the shape kept; the exit and a restart put every part on the pixels it had.
TEST(CrossScale, AtEveryScaleANudgeMovesEveryPartOnePixelAndTheShapeStays) {
  enum : int { kBring = 2, kLeft, kUp, kRight, kDown };
  // Hotkey and step: two each way.
  constexpr int kSteps[8][3] = {{kRight, 1, 0}, {kRight, 1, 0}, {kLeft, -1, 0}, {kLeft, -1, 0},
                                {kDown, 0, 1},  {kDown, 0, 1},  {kUp, 0, -1},   {kUp, 0, -1}};
  using Spans = std::array<std::array<int, 4>, 19>;  // each part: left, width, top, height in pixels
  auto spans = [](unit::Program& p, int dpi, int dx = 0, int dy = 0) {
    Spans all{};
    for (std::size_t part = 0; part <= 18; ++part) {
      const auto& w = p.Part(static_cast<int>(part));
      const PixelSpan x = PixelScale(dpi).Span(w.Left(), w.Width()), y = PixelScale(dpi).Span(w.Top(), w.Height());
      all[part] = {x.start - dx, x.length, y.start - dy, y.length};
    }
    return all;
  };
  for (const int dpi : {96, 120, 144, 168}) {  // at 120 DPI the handle is 4 pixels: an even size
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    unit::Program p;
    p.platform.fake_screen.dpi = dpi;
    unit::Stored stored = unit::kExitSaved;
    stored.insert(stored.end(), {{"Dizodudoz/위치/XPosition", "6007"}, {"Dizodudoz/위치/YPosition", "4003"}});
    p.Start(stored, true);
    Spans before = spans(p, dpi);
    for (const auto& [hotkey, dx, dy] : kSteps) {
      p.startup.OnHotkey(hotkey);
      EXPECT_EQ(spans(p, dpi, dx, dy), before) << "after " << hotkey;
      before = spans(p, dpi);
    }
    p.platform.fake_screen.pointer = {501, 301};
    p.startup.OnHotkey(kBring);
    const Spans brought = spans(p, dpi);
    EXPECT_EQ((std::pair{brought[0][0] + brought[0][1] / 2, brought[0][2] + brought[0][3] / 2}), (std::pair{501, 301}));
    EXPECT_EQ(spans(p, dpi, brought[0][0] - before[0][0], brought[0][2] - before[0][2]), before) << "the shape";
    unit::Program next;
    next.platform.fake_screen.dpi = dpi;
    next.Start(ExitAndSaved(p), true);
    EXPECT_EQ(spans(next, dpi), brought) << "a restart";
  }
}

}  // namespace
}  // namespace rc::cross
