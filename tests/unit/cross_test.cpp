// The cross: placement geometry, the layout's calls in order, the centre
// handle's load, repaint and drag, and the mend of a handle left off-screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "cross/cross.h"
#include "platform/fake/fake_platform.h"

namespace rc::cross {
namespace {

// Bar `number` (1..18) around a handle whose top-left corner is (left, top).
BarRect PlaceBar(int number, const CrossSize& s, float handle_left, float handle_top) {
  const BarPlacement& p = kBarPlacements[static_cast<std::size_t>(number - 1)];
  return {BarLeft(p, s, handle_left), BarTop(p, s, handle_top), BarWidth(p, s), BarHeight(p, s)};
}

// ---------------------------------------------------------------- geometry

struct Edges {
  std::array<float, 8> tops;    // Form1..Form8
  std::array<float, 10> lefts;  // Form9..Form18
};

struct GeometryCase {
  const char* name;
  CrossSize size;  // L, T, G
  float left, top;
  Edges expected;
};

const GeometryCase kGeometry[] = {
    {"defaults at (14400, 7200)", {350, 50, 350}, 14400, 7200,
     {{4400, 5100, 5800, 6500, 7600, 8300, 9000, 9700},
      {10900, 11600, 12300, 13000, 13700, 14800, 15500, 16200, 16900, 17600}}},
    {"no gap", {350, 50, 0}, 14400, 7200,
     {{5800, 6150, 6500, 6850, 7250, 7600, 7950, 8300},
      {12650, 13000, 13350, 13700, 14050, 14450, 14800, 15150, 15500, 15850}}},
    {"no thickness", {350, 0, 350}, 14400, 7200,
     {{4400, 5100, 5800, 6500, 7550, 8250, 8950, 9650},
      {10900, 11600, 12300, 13000, 13700, 14750, 15450, 16150, 16850, 17550}}},
    {"top-left screen corner", {350, 50, 350}, 0, 0,
     {{-2800, -2100, -1400, -700, 400, 1100, 1800, 2500},
      {-3500, -2800, -2100, -1400, -700, 400, 1100, 1800, 2500, 3200}}},
    {"bottom-right screen corner", {350, 50, 350}, 28750, 16150,
     {{13350, 14050, 14750, 15450, 16550, 17250, 17950, 18650},
      {25250, 25950, 26650, 27350, 28050, 29150, 29850, 30550, 31250, 31950}}},
    // Terms beyond 16 bits (5(L + G) = 327670) and a handle beyond 32767 twips.
    {"largest stored sizes", {32767, 32767, 32767}, 40000, -40000,
     {{-302136, -236602, -171068, -105534, 25534, 91068, 156602, 222136},
      {-287670, -222136, -156602, -91068, -25534, 105534, 171068, 236602, 302136, 367670}}},
    {"most negative sizes", {-32768, -32768, -32768}, 0, 0,
     {{262144, 196608, 131072, 65536, -65536, -131072, -196608, -262144},
      {327680, 262144, 196608, 131072, 65536, -65536, -131072, -196608, -262144, -327680}}},
};

TEST(CrossGeometry, PlacementTable) {
  for (const GeometryCase& c : kGeometry) {
    SCOPED_TRACE(c.name);
    const float l = c.size.length, t = c.size.thickness;
    for (int n = 1; n <= 8; ++n) {
      SCOPED_TRACE("Form" + std::to_string(n));
      EXPECT_EQ(PlaceBar(n, c.size, c.left, c.top), (BarRect{c.left, c.expected.tops[n - 1], t, l}));
    }
    for (int n = 9; n <= 18; ++n) {
      SCOPED_TRACE("Form" + std::to_string(n));
      EXPECT_EQ(PlaceBar(n, c.size, c.left, c.top), (BarRect{c.expected.lefts[n - 9], c.top, l, t}));
    }
  }
}

TEST(CrossGeometry, WithoutAGapEveryArmIsOneSolidLineFromTheCentreSquare) {
  const CrossSize size{350, 50, 0};
  const float cl = 1000, ct = 2000;
  auto bar = [&](int n) { return PlaceBar(n, size, cl, ct); };
  EXPECT_EQ(bar(4).top + bar(4).height, ct);
  EXPECT_EQ(bar(5).top, ct + 50);
  EXPECT_EQ(bar(13).left + bar(13).width, cl);
  EXPECT_EQ(bar(14).left, cl + 50);
  for (int n : {1, 2, 3, 5, 6, 7}) EXPECT_EQ(bar(n).top + bar(n).height, bar(n + 1).top) << n;
  for (int n : {9, 10, 11, 12, 14, 15, 16, 17}) EXPECT_EQ(bar(n).left + bar(n).width, bar(n + 1).left) << n;
}

TEST(CrossGeometry, ColourText) {
  const std::pair<const wchar_t*, std::uint32_t> cases[] = {
      {L"255", 255},          {L"16711680", 0xFF0000}, {L"0", 0},           {L" 65280 ", 0x00FF00},
      {L"16777215", 0xFFFFFF}, {L"16777216", kFallbackColour}, {L"-1", kFallbackColour},
      {L"", kFallbackColour},  {L"red", kFallbackColour}, {L"12abc", kFallbackColour},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(CrossColourValue(text), expected) << ToUtf8(text);
}

// ---------------------------------------------------------------- windows

// The first-run settings, the handle at (14400, 7200); nothing created yet.
class CrossTest : public ::testing::Test {
 protected:
  CrossTest() {
    store.ApplyFirstRunDefaults();
    store.values().YPosition = 7200;
    platform.log.Clear();
  }
  // Creates the cross (the handle's load lays it out) and forgets the calls.
  void Create() {
    cross.CreateWindows();
    platform.log.Clear();
  }
  fake::FakeWindow& W(const std::string& name) { return *platform.Find(name); }
  fake::FakeWindow& Bar(int n) { return W("Form" + std::to_string(n)); }
  fake::FakeWindow& Handle() { return W("frm_Center"); }
  std::vector<std::string> Calls() const { return platform.log.all(); }
  settings::ProgramSettings& values() { return store.values(); }

  fake::FakePlatform platform;
  settings::SettingsStore store{platform.settings(), platform.screen(), platform.messages()};
  Cross cross{platform, store};
};

TEST_F(CrossTest, LayoutVisitsTheWindowsInStackingOrderAndSetsEachPropertyInItsOrder) {
  Create();
  Handle().SetLeft(3000);  // the bars follow the handle
  Handle().SetTop(2000);
  values().Thickness = 60;
  values().CrossColor = L"65280";
  values().PartVisible[7] = false;
  platform.log.Clear();
  const int batches = platform.batches;

  CrossLayout(cross);

  EXPECT_EQ(platform.batches, batches + 1);
  EXPECT_EQ(platform.batch_depth, 0);
  std::vector<std::string> order;  // the windows in the order the calls reach them
  for (const std::string& call : Calls()) {
    std::string name = call.substr(0, call.find('.'));
    if (order.empty() || order.back() != name) order.push_back(name);
  }
  std::vector<std::string> expected_order;
  for (int part : kWindowOrder) expected_order.push_back(part == 0 ? "frm_Center" : "Form" + std::to_string(part));
  EXPECT_EQ(order, expected_order);
  // Bars: top, left, height, width, colour, visibility; the handle: size,
  // colour, visibility, never its place.
  const std::vector<std::string> form1{"Form1.top -800", "Form1.left 3000", "Form1.width 60",
                                       "Form1.color 65280"};
  const std::vector<std::string> form7{"Form7.top 3810", "Form7.left 3000", "Form7.width 60", "Form7.color 65280",
                                       "Form7.visible 0"};
  const std::vector<std::string> centre{"frm_Center.height 60", "frm_Center.width 60",
                                        "frm_Center.color 65280"};
  const std::vector<std::string> form9{"Form9.top 2000", "Form9.left -500", "Form9.height 60",
                                       "Form9.color 65280"};
  EXPECT_EQ(platform.log.With("Form1."), form1);
  EXPECT_EQ(platform.log.With("Form7."), form7);
  EXPECT_EQ(platform.log.With("frm_Center."), centre);
  EXPECT_EQ(platform.log.With("Form9."), form9);
}

TEST_F(CrossTest, FirstLayoutSizesColoursAndShowsEveryPart) {
  Create();
  for (int n = 1; n <= 18; ++n) {
    SCOPED_TRACE(n);
    const BarRect r = PlaceBar(n, {350, 50, 350}, 14400, 7200);
    EXPECT_EQ((BarRect{Bar(n).Left(), Bar(n).Top(), Bar(n).Width(), Bar(n).Height()}), r);
    EXPECT_EQ(Bar(n).BackColour(), 255u);
    EXPECT_TRUE(Bar(n).Visible());
    EXPECT_TRUE(Bar(n).plain());
    EXPECT_EQ(Bar(n).caption(), L"");
  }
  EXPECT_EQ(Handle().Left(), 14400);
  EXPECT_EQ(Handle().Top(), 7200);
  EXPECT_EQ(Handle().Width(), 50);
  EXPECT_EQ(Handle().Height(), 50);
  EXPECT_TRUE(Handle().Visible());
  EXPECT_TRUE(Handle().plain());
}

TEST_F(CrossTest, ASecondLayoutMakesNoCallAndAChangeSettlesAfterOnePass) {
  Create();
  CrossLayout(cross);
  EXPECT_EQ(Calls(), std::vector<std::string>{});

  values().CrossColor = L"16711680";
  Handle().events().OnRepaint();
  EXPECT_EQ(platform.log.With("").size(), 19u);  // one colour call per part
  platform.log.Clear();
  Handle().events().OnRepaint();  // the repaint the recolouring causes
  EXPECT_EQ(Calls(), std::vector<std::string>{});
}

TEST_F(CrossTest, HiddenPartsAreStillPlacedAndColoured) {
  values().PartVisible.fill(false);
  values().PartVisible[0] = true;
  Create();
  for (int n = 1; n <= 18; ++n) {
    EXPECT_FALSE(Bar(n).Visible()) << n;
    EXPECT_EQ(Bar(n).BackColour(), 255u) << n;
    EXPECT_EQ(Bar(n).Width() * Bar(n).Height(), 350 * 50) << n;
  }
  EXPECT_TRUE(Handle().Visible());
}

TEST_F(CrossTest, LoadStylesFirstThenPlacesTheHandleTopThenLeftThenLaysOut) {
  cross.CreateWindows();
  const std::vector<std::string> calls = Calls();
  auto at = [&](const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
  };
  ASSERT_EQ(calls[8], "create frm_Center");
  // Three passes over the bars, then the handle.
  EXPECT_LT(at("Form18.border none"), at("Form1.appearance flat"));
  EXPECT_LT(at("Form18.appearance flat"), at("Form1.caption \"\""));
  EXPECT_LT(at("Form18.caption \"\""), at("frm_Center.border none"));
  EXPECT_LT(at("frm_Center.border none"), at("frm_Center.appearance flat"));
  EXPECT_LT(at("frm_Center.appearance flat"), at("frm_Center.caption \"\""));
  EXPECT_LT(at("frm_Center.caption \"\""), at("frm_Center.top 7200"));
  EXPECT_LT(at("frm_Center.top 7200"), at("frm_Center.left 14400"));
  EXPECT_LT(at("frm_Center.left 14400"), at("Form1.top 4400"));
  EXPECT_LT(at("Form1.top 4400"), static_cast<long>(calls.size()));
  // Style and load create nothing visible: only the layout shows.
  EXPECT_EQ(platform.log.With("Form9.visible"), std::vector<std::string>{"Form9.visible 1"});
}

TEST_F(CrossTest, RepaintCopiesTheEdgesRoundingHalvesToEven) {
  Create();
  const struct {
    float left, top;
    std::int32_t x, y;
  } cases[] = {{100.5f, 101.5f, 100, 102}, {-2000.5f, 0.25f, -2000, 0}, {45000, 70000.5f, 45000, 70000}};
  for (const auto& c : cases) {
    Handle().MoveByUser(c.left, c.top);
    Handle().events().OnRepaint();
    EXPECT_EQ(values().XPosition, c.x);
    EXPECT_EQ(values().YPosition, c.y);
    EXPECT_EQ(Bar(14).Left(), c.left + 400);
  }
}

TEST_F(CrossTest, HeldPositionIgnoresEveryPress) {
  values().HoldPosition = true;
  Create();
  Handle().SetDragTarget(100, 100);
  Handle().events().OnMouseButtonDown();
  EXPECT_EQ(Calls(), std::vector<std::string>{});
  EXPECT_EQ(Handle().Left(), 14400);
}

TEST_F(CrossTest, DragHidesTheBarsMovesTheHandleAndLaysOutAroundTheNewPlace) {
  Create();
  Handle().SetDragTarget(3000, 2000);
  Handle().events().OnMouseButtonDown();
  std::vector<std::string> expected;
  for (int n = 1; n <= 18; ++n) expected.push_back("Form" + std::to_string(n) + ".visible 0");
  expected.insert(expected.end(), {"frm_Center.drag begin", "frm_Center.drag end"});
  const std::vector<std::string> calls = Calls();
  ASSERT_GT(calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 20), expected);
  EXPECT_EQ(calls[20], "Form1.top -800");
  for (int n = 1; n <= 18; ++n) {
    EXPECT_TRUE(Bar(n).Visible()) << n;
    EXPECT_EQ(Bar(n).Left(), PlaceBar(n, {350, 50, 350}, 3000, 2000).left) << n;
  }
  EXPECT_EQ(values().XPosition, 3000);
  EXPECT_EQ(values().YPosition, 2000);
}

TEST_F(CrossTest, ARepaintDuringTheMoveShowsTheBarsAtTheHandlesCurrentPlace) {
  Create();
  Handle().SetDragTarget(3000, 2000);
  Handle().during_drag = [](fake::FakeWindow& handle) { handle.events().OnRepaint(); };
  Handle().events().OnMouseButtonDown();
  const std::vector<std::string> calls = Calls();
  auto at = [&](const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
  };
  EXPECT_LT(at("frm_Center.drag begin"), at("Form4.top 1300"));
  EXPECT_LT(at("Form18.visible 1"), at("frm_Center.drag end"));
  // The repaint after the move finds nothing left to do.
  EXPECT_EQ(calls.back(), "frm_Center.drag end");
}

TEST_F(CrossTest, HandleOnNoAttachedMonitorIsPlacedWhereAFirstRunPutsIt) {
  const platform::TwipsRect right{28800, 0, 28800, 16200}, left_above{-19200, -10800, 19200, 10800};
  const struct {
    const char* name;
    std::int32_t x, y;
    std::vector<platform::TwipsRect> extra;
    std::int32_t expect_x, expect_y;
  } cases[] = {
      {"on the primary screen", 100, 200, {}, 100, 200},
      {"partly off the primary's left edge", -30, 500, {}, -30, 500},
      {"just off the primary's left edge", -50, 500, {}, 14400, 8100},
      {"beyond the primary's bottom", 500, 16200, {}, 14400, 8100},
      {"on a monitor to the right", 40000, 3000, {right}, 40000, 3000},
      {"right monitor removed", 40000, 3000, {}, 14400, 8100},
      {"on a monitor left of and above the primary", -9000, -6000, {left_above}, -9000, -6000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakePlatform p;
    p.fake_screen().extra_monitors = c.extra;
    settings::SettingsStore s{p.settings(), p.screen(), p.messages()};
    s.ApplyFirstRunDefaults();
    s.values().XPosition = c.x;
    s.values().YPosition = c.y;
    Cross x{p, s};
    x.CreateWindows();
    const platform::Window& handle = x.handle().window();
    EXPECT_EQ(handle.Left(), static_cast<float>(c.expect_x));
    EXPECT_EQ(handle.Top(), static_cast<float>(c.expect_y));
  }
}

}  // namespace
}  // namespace rc::cross
