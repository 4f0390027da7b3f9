// The three dialogs over the fake platform: what each load shows and changes,
// what each click changes and writes, and the system-information lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf8.h"
#include "cross/cross.h"
#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "platform/fake/fake_platform.h"
#include "reader/correction_dialog.h"

namespace rc::dialogs {
namespace {

using fake::FakeDialog;
using reader::CorrectionDialog;

constexpr std::uint32_t kButtonFace = 0x00F0F0F0;

// A started program on its first run: defaults, the cross laid out around the
// handle at the screen's middle (14400, 8100).
// Tab visits the controls that take the focus, in their tab order; a label
// never gets it, whatever its row says (the correction dialog's Label1 has 1).
TEST(DialogTables, TabRunsOverFocusableControlsInTabOrder) {
  const struct {
    const platform::DialogSpec* spec;
    std::vector<std::wstring_view> stops;
  } cases[] = {
      {&reader::kCorrectionSpec, {L"txtRadian", L"cmdSave", L"btnChange", L"txtDist"}},
      {&kPropertiesSpec, {L"Combo1", L"HScroll1(0)", L"HScroll1(1)", L"HScroll1(2)"}},
      {&kAboutSpec, {L"cmdOK", L"cmdSysInfo"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.spec->caption));
    std::vector<std::wstring_view> names;
    for (int id : platform::TabStops(*c.spec)) {
      for (const platform::ControlSpec& control : c.spec->controls)
        if (control.id == id) names.push_back(control.name);
    }
    EXPECT_EQ(names, c.stops);
  }
}

struct Program {
  fake::FakePlatform platform;
  settings::SettingsStore store{platform.settings(), platform.screen(), platform.messages()};
  cross::Cross cross{platform, store};
  reader::ReaderLink link{platform.serialPort(), platform.messages(), store.values()};

  explicit Program(void (*before_cross)(Program&) = nullptr) {
    store.LoadSettings();
    store.ApplyFirstRunDefaults();
    if (before_cross != nullptr) before_cross(*this);
    cross.CreateWindows();  // the handle's load lays the cross out
    platform.log.Clear();
  }
  settings::ProgramSettings& values() { return store.values(); }
  FakeDialog& Dialog(const char* caption) { return *platform.FindDialog(caption); }
  fake::FakeWindow& Form(int n) { return *platform.Find("Form" + std::to_string(n)); }
};

std::string Utf8(const std::wstring& text) { return ToUtf8(text); }

// ---------------------------------------------------------------- Frm_속성

TEST(PropertiesDialog, LoadOnFirstRunDefaultsShowsThemAndChangesNothing) {
  Program p;
  auto dialog = PropertiesDialog::Make(p.cross);
  ASSERT_NE(dialog, nullptr);
  FakeDialog& w = p.Dialog("속성");
  EXPECT_EQ(w.Selection(kColourList), 0);  // 빨강
  EXPECT_EQ(w.FillColour(kColourPreview), 255u);
  for (int n = 0; n <= 18; ++n) EXPECT_EQ(w.FillColour(PartSwatch(n)), 255u) << n;
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(w.ScrollPosition(SizeBar(k)), 5);
    EXPECT_EQ(Utf8(w.Text(SizeValue(k))), "5");
  }
  EXPECT_EQ(p.values().Length, 350);
  EXPECT_EQ(p.values().Gap, 350);
  EXPECT_EQ(p.values().Thickness, 50);
  EXPECT_TRUE(p.platform.log.With("save ").empty());
  EXPECT_TRUE(p.platform.log.With("Form").empty()) << "no layout ran";
  EXPECT_FALSE(w.visible()) << "shown by the menu command, not by the load";
  // Beside the handle's right edge, its bottom on the handle's top edge.
  EXPECT_EQ(w.Left(), 14400 + 50);
  EXPECT_EQ(w.Top(), 8100 - w.Height());
}

struct ColourCase {
  const char* stored;
  int selection;
  std::uint32_t shown;
};

TEST(PropertiesDialog, ListSelectionIsByExactText) {
  const ColourCase cases[] = {
      {"65280", 1, 65280},  {"16711680", 2, 16711680}, {"16512", 3, 16512}, {"0", 4, 0},
      {"65535", 5, 65535},  {"128", -1, 128},         // dark red, not in the list
      {" 255", -1, 255},                              // a number, but not the entry's text
      {"abc", 0, 255},                                // not a colour: shown as the cross shows it
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.stored);
    Program p;
    p.values().CrossColor = FromUtf8(c.stored);
    p.values().PartVisible[3] = false;
    auto dialog = PropertiesDialog::Make(p.cross);
    FakeDialog& w = p.Dialog("속성");
    EXPECT_EQ(w.Selection(kColourList), c.selection);
    EXPECT_EQ(w.FillColour(kColourPreview), c.shown);
    EXPECT_EQ(w.FillColour(PartSwatch(2)), c.shown);
    EXPECT_EQ(w.FillColour(PartSwatch(3)), kButtonFace);
    EXPECT_EQ(Utf8(p.values().CrossColor), c.stored) << "the load changes no colour";
  }
}

struct SizeCase {
  int k;
  std::int16_t stored;
  int position;
  std::int16_t after;
};

TEST(PropertiesDialog, LoadRoundsScrollPositionsHalvesToEvenAndClamps) {
  const SizeCase cases[] = {
      {0, 455, 6, 420},  // 6.5 -> 6, differs from 5: the change runs
      {0, 360, 5, 360},  // 5.14 -> 5: no change runs
      {0, 385, 6, 420},  // 5.5 -> 6
      {1, 700, 10, 700}, {1, 0, 1, 70},  // below the range: clamped to 1
      {2, 25, 2, 20},    // 2.5 -> 2
      {2, 30000, 10, 100},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.k) + ": " + std::to_string(c.stored));
    Program p;
    std::int16_t* sizes[] = {&p.values().Length, &p.values().Gap, &p.values().Thickness};
    *sizes[c.k] = c.stored;
    auto dialog = PropertiesDialog::Make(p.cross);
    FakeDialog& w = p.Dialog("속성");
    EXPECT_EQ(w.ScrollPosition(SizeBar(c.k)), c.position);
    EXPECT_EQ(Utf8(w.Text(SizeValue(c.k))), std::to_string(c.position));
    EXPECT_EQ(*sizes[c.k], c.after);
    EXPECT_EQ(p.platform.log.With("Form").empty(), c.position == 5) << "the layout runs only on a change";
  }
}

TEST(PropertiesDialog, OpensBelowTheHandleWhenThereIsNoRoomAbove) {
  Program p;
  p.cross.handle().window().SetTop(1000);  // less than the dialog's height
  auto dialog = PropertiesDialog::Make(p.cross);
  FakeDialog& w = p.Dialog("속성");
  EXPECT_GT(w.Height(), 1000);
  EXPECT_EQ(w.Top(), 1000 + 50);
  EXPECT_EQ(w.Left(), 14400 + 50);
}

TEST(PropertiesDialog, BrownPaintsEveryWindowIncludingHiddenBarsAndStoresNothing) {
  Program p;
  p.values().PartVisible[7] = false;
  cross::CrossLayout(p.cross);
  auto dialog = PropertiesDialog::Make(p.cross);
  FakeDialog& w = p.Dialog("속성");
  p.platform.log.Clear();
  w.PickByUser(kColourList, 3);  // 갈색
  EXPECT_EQ(Utf8(p.values().CrossColor), "16512");
  EXPECT_EQ(w.FillColour(kColourPreview), 16512u);
  EXPECT_EQ(w.FillColour(PartSwatch(7)), kButtonFace);
  for (int n = 0; n <= 18; ++n) {
    if (n != 7) {
      EXPECT_EQ(w.FillColour(PartSwatch(n)), 16512u) << n;
    }
  }
  for (int n = 1; n <= 18; ++n) EXPECT_EQ(p.Form(n).BackColour(), 16512u) << n;
  EXPECT_EQ(p.cross.handle().window().BackColour(), 16512u);
  EXPECT_FALSE(p.Form(7).Visible());
  EXPECT_TRUE(p.platform.log.With("save ").empty());
  // AllColorPaint's order: Form1..Form8, the handle, Form9..Form18; colour only.
  std::vector<std::string> painted;
  for (const std::string& call : p.platform.log.all()) {
    if (call.find(".color ") != std::string::npos) painted.push_back(call);
  }
  ASSERT_EQ(painted.size(), 19u);
  EXPECT_EQ(painted[7].rfind("Form8.", 0), 0u);
  EXPECT_EQ(painted[8].rfind("frm_Center.", 0), 0u);
  for (const std::string& call : p.platform.log.With("Form")) {
    EXPECT_TRUE(call.find(".top") == std::string::npos && call.find(".visible") == std::string::npos) << call;
  }
}

TEST(PropertiesDialog, SwatchSevenTogglesItsPartAndStoresIt) {
  Program p;
  auto dialog = PropertiesDialog::Make(p.cross);
  FakeDialog& w = p.Dialog("속성");
  w.ClickByUser(PartSwatch(7));
  EXPECT_EQ(w.FillColour(PartSwatch(7)), kButtonFace);
  EXPECT_EQ(p.platform.fake_settings().Value("Dizodudoz/폼/7"), "0");
  EXPECT_FALSE(p.values().PartVisible[7]);
  EXPECT_FALSE(p.Form(7).Visible());
  w.ClickByUser(PartSwatch(7));
  EXPECT_EQ(w.FillColour(PartSwatch(7)), 255u);
  EXPECT_EQ(p.platform.fake_settings().Value("Dizodudoz/폼/7"), "1");
  EXPECT_TRUE(p.values().PartVisible[7]);
  EXPECT_TRUE(p.Form(7).Visible());
}

TEST(PropertiesDialog, CentreSwatchNeverTogglesButReadsBackAndLaysOut) {
  Program p;
  auto dialog = PropertiesDialog::Make(p.cross);
  FakeDialog& w = p.Dialog("속성");
  p.platform.fake_settings().Put("Dizodudoz/폼/4", "0");  // changed elsewhere in the store
  p.platform.log.Clear();
  w.ClickByUser(PartSwatch(0));
  EXPECT_TRUE(p.platform.log.With("save ").empty());
  EXPECT_EQ(w.FillColour(PartSwatch(0)), 255u);
  EXPECT_TRUE(p.values().PartVisible[0]);
  EXPECT_FALSE(p.values().PartVisible[4]) << "flags 1 to 18 are read back";
  EXPECT_FALSE(p.Form(4).Visible()) << "and the cross laid out again";
}

TEST(PropertiesDialog, ScrollEndsSetTheSizesAndGrowTheCross) {
  Program p;
  auto dialog = PropertiesDialog::Make(p.cross);
  FakeDialog& w = p.Dialog("속성");
  const float form1_top = p.Form(1).Top();
  w.ScrollByUser(SizeBar(0), 10);
  EXPECT_EQ(p.values().Length, 700);
  EXPECT_EQ(Utf8(w.Text(SizeValue(0))), "10");
  EXPECT_EQ(p.Form(1).Height(), 700);
  EXPECT_LT(p.Form(1).Top(), form1_top);
  w.ScrollByUser(SizeBar(2), 1);
  EXPECT_EQ(p.values().Thickness, 10);
  EXPECT_EQ(p.cross.handle().window().Width(), 10);
  EXPECT_TRUE(p.platform.log.With("save ").empty());
}

TEST(PropertiesDialog, RepeatedCommandBringsTheOpenOneToFrontAndAClosedOneIsBuiltAfresh) {
  Program p;
  shell::DialogHost host([&] { return PropertiesDialog::Make(p.cross); });
  host.Show();
  FakeDialog* first = &p.Dialog("속성");
  first->ClickByUser(PartSwatch(7));
  host.Show();
  EXPECT_EQ(p.platform.log.With("dialog.create").size(), 1u);
  EXPECT_EQ(&p.Dialog("속성"), first);
  EXPECT_EQ(first->FillColour(PartSwatch(7)), kButtonFace) << "not loaded again";
  EXPECT_EQ(p.platform.log.With("속성.activate").size(), 2u);
  first->CloseByUser();
  p.values().Length = 700;
  host.Show();
  EXPECT_EQ(p.platform.log.With("dialog.create").size(), 2u);
  EXPECT_EQ(p.Dialog("속성").ScrollPosition(SizeBar(0)), 10) << "loaded from the current settings";
}

// ---------------------------------------------------------------- frmRevision

TEST(CorrectionDialog, AngleText) {
  const std::pair<double, const char*> cases[] = {
      {30, "30"}, {1.5, "1.5"}, {-2.25, "-2.25"}, {0, "0"}, {0.5, "0.5"}, {1e20, "100000000000000000000"}};
  for (auto [angle, text] : cases) EXPECT_EQ(Utf8(reader::AngleText(angle)), text) << angle;
}

TEST(CorrectionDialog, LoadShowsModeRatioAndAngle) {
  Program p;
  p.values().CorrectionAngle = -2.25;
  auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
  FakeDialog& w = p.Dialog("기계보정");
  EXPECT_EQ(Utf8(w.Text(reader::kModeButton)), "지적통합");
  EXPECT_EQ(Utf8(w.Text(reader::kRatioBox)), "0,0");
  EXPECT_EQ(Utf8(p.values().LengthRatio), "0,0") << "in memory";
  EXPECT_EQ(Utf8(w.Text(reader::kAngleBox)), "-2.25");
  EXPECT_TRUE(p.platform.log.With("save ").empty()) << "and not stored";
}

TEST(CorrectionDialog, SaveReadsTheAngleByTheReadingRuleAndStoresWithSignPosition) {
  Program p;
  p.values().ReaderMode = std::wstring(settings::kModeWintab);
  auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
  FakeDialog& w = p.Dialog("기계보정");
  w.TypeByUser(reader::kAngleBox, L"12abc");
  w.TypeByUser(reader::kRatioBox, L"1.5");  // no comma: kept as typed
  w.ClickByUser(reader::kSaveButton);
  EXPECT_EQ(p.values().CorrectionAngle, 12);
  EXPECT_EQ(Utf8(w.Text(reader::kAngleBox)), "12");
  EXPECT_EQ(p.platform.log.With("save "),
            (std::vector<std::string>{"save 기계보정/각도/각도= 12", "save 기계보정/모드/모드=Wintab 전환",
                                      "save 기계보정/길이비율/길이비율=1.5"}));
  EXPECT_TRUE(w.IsOpen()) << "the dialog stays open";
  w.TypeByUser(reader::kAngleBox, L"1,5");
  w.ClickByUser(reader::kSaveButton);
  EXPECT_EQ(p.platform.fake_settings().Value("기계보정/각도/각도"), " 1");
}

TEST(CorrectionDialog, ModeSwitchWithThePortAvailable) {
  Program p;
  ASSERT_TRUE(p.platform.serialPort().Open(L"COM2", p.link).ok());
  auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
  FakeDialog& w = p.Dialog("기계보정");
  w.ClickByUser(reader::kModeButton);
  EXPECT_FALSE(p.platform.serialPort().IsOpen());
  EXPECT_EQ(Utf8(w.Text(reader::kModeButton)), "Wintab 전환");
  w.ClickByUser(reader::kModeButton);
  EXPECT_TRUE(p.platform.serialPort().IsOpen());
  EXPECT_EQ(Utf8(w.Text(reader::kModeButton)), "지적통합");
  EXPECT_TRUE(p.platform.fake_messages().shown.empty());
  EXPECT_EQ(Utf8(p.values().ReaderMode), "지적통합");
  EXPECT_TRUE(p.platform.log.With("save ").empty()) << "only a save changes the mode";
}

TEST(CorrectionDialog, ModeSwitchWithThePortUnavailableKeepsTheCaption) {
  Program p;
  p.values().ReaderMode = std::wstring(settings::kModeWintab);
  p.platform.fake_serial().open_error = 2;
  auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
  FakeDialog& w = p.Dialog("기계보정");
  w.ClickByUser(reader::kModeButton);
  EXPECT_EQ(p.platform.fake_messages().shown, std::vector<std::string>{"COM2 포트가 열려 있거나 닫혀있습니다."});
  EXPECT_EQ(Utf8(w.Text(reader::kModeButton)), "Wintab 전환");
  EXPECT_FALSE(p.platform.serialPort().IsOpen());
}

TEST(CorrectionDialog, ClosingSavesNothing) {
  Program p;
  auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
  FakeDialog& w = p.Dialog("기계보정");
  w.TypeByUser(reader::kAngleBox, L"45");
  w.CloseByUser();
  EXPECT_EQ(p.values().CorrectionAngle, 0);
  EXPECT_TRUE(p.platform.log.With("save ").empty());
  EXPECT_FALSE(dialog->IsOpen());
}

// ---------------------------------------------------------------- frmAbout

TEST(AboutDialog, MiddleOnForm5sTopLeftCornerAndOkCloses) {
  Program p;
  auto dialog = AboutDialog::Make(p.cross, p.platform.machineRegistry(), p.platform.processes());
  FakeDialog& w = p.Dialog("S/W 정보");
  EXPECT_EQ(w.Left(), p.Form(5).Left() - w.Width() / 2);
  EXPECT_EQ(w.Top(), p.Form(5).Top() - w.Height() / 2);
  EXPECT_EQ(kAboutSpec.default_button, kOkButton);  // Enter
  EXPECT_EQ(kAboutSpec.cancel_button, kOkButton);   // Esc
  w.ClickByUser(kOkButton);
  EXPECT_FALSE(dialog->IsOpen());
}

TEST(AboutDialog, FixedTextsCharacterForCharacter) {
  EXPECT_EQ(Utf8(std::wstring(kAboutControls[kTitleText].text)), "Reticor");
  EXPECT_EQ(Utf8(std::wstring(kAboutControls[kVersionText].text)), "3.0  The Origin Version");
  EXPECT_EQ(Utf8(std::wstring(kAboutControls[kDescriptionText].text)), "독취기(RDX4410)지원 ");
  for (std::size_t i = 0; i < kAboutControls.size(); ++i) EXPECT_EQ(kAboutControls[i].id, static_cast<int>(i));
  for (std::size_t i = 0; i < kPropertiesControls.size(); ++i) EXPECT_EQ(kPropertiesControls[i].id, static_cast<int>(i));
  for (std::size_t i = 0; i < reader::kCorrectionControls.size(); ++i) {
    EXPECT_EQ(reader::kCorrectionControls[i].id, static_cast<int>(i));
  }
}

const std::string kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct SysInfoCase {
  const char* name;
  void (*arrange)(fake::FakePlatform&);
  std::vector<std::string> started;
  bool message;
  bool second_key_read;
};

const SysInfoCase kSysInfoCases[] = {
    {"first key present",
     [](fake::FakePlatform& p) {
       p.fake_registry().PutText(kFirstKey, "PATH", "C:\\Tools\\msinfo32.exe");
       p.fake_registry().PutText(kSecondKey, "MSINFO", "C:\\Other");
       p.fake_processes().files = {"C:\\Tools\\msinfo32.exe", "C:\\Other\\MSINFO32.EXE"};
     },
     {"C:\\Tools\\msinfo32.exe"}, false, false},
    {"first key naming a missing file",
     [](fake::FakePlatform& p) { p.fake_registry().PutText(kFirstKey, "PATH", "C:\\Gone\\msinfo32.exe"); },
     {}, true, false},
    {"second key with the file",
     [](fake::FakePlatform& p) {
       p.fake_registry().PutText(kSecondKey, "MSINFO", "C:\\Shared", false);
       p.fake_processes().files = {"C:\\Shared\\MSINFO32.EXE"};
     },
     {"C:\\Shared\\MSINFO32.EXE"}, false, true},
    {"second key without the file",
     [](fake::FakePlatform& p) { p.fake_registry().PutText(kSecondKey, "MSINFO", "C:\\Shared"); }, {}, true, true},
    {"neither key", [](fake::FakePlatform&) {}, {}, true, true},
    {"first key of another type: found, empty path",
     [](fake::FakePlatform& p) {
       p.fake_registry().Put(kFirstKey, "PATH", {platform::RegistryType::Other, {1, 2, 3}});  // REG_BINARY
       p.fake_processes().files = {"C:\\Shared\\MSINFO32.EXE"};
       p.fake_registry().PutText(kSecondKey, "MSINFO", "C:\\Shared");
     },
     {}, true, false},
};

TEST(AboutDialog, StartSysInfoLooksUpTheToolOrSaysItIsUnavailable) {
  for (const SysInfoCase& c : kSysInfoCases) {
    SCOPED_TRACE(c.name);
    fake::FakePlatform p;
    c.arrange(p);
    StartSysInfo(p.machineRegistry(), p.processes(), p.messages());
    EXPECT_EQ(p.fake_processes().started, c.started);
    EXPECT_EQ(p.fake_messages().shown.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(p.fake_messages().shown[0], "지금은 시스템 정보를 사용할 수 없습니다.");
    }
    EXPECT_EQ(p.log.With("hklm.read " + kSecondKey).size(), c.second_key_read ? 1u : 0u);
  }
}

// Each dialog's message is modal to that dialog, so that its button cannot raise
// a second one while the first is up.
TEST(Dialogs, AMessageRaisedByADialogIsOwnedByIt) {
  struct Case {
    const char* action;
    const char* owner;
    void (*run)(Program&);
  };
  const Case cases[] = {
      {"swatch 7 with the part flag not writable", "속성",
       [](Program& p) {
         p.platform.fake_settings().failing_paths = {"Dizodudoz/폼/7"};
         auto dialog = PropertiesDialog::Make(p.cross);
         p.Dialog("속성").ClickByUser(PartSwatch(7));
       }},
      {"저장 with the store not writable", "기계보정",
       [](Program& p) {
         p.platform.fake_settings().failing_paths = {"기계보정/모드/모드"};
         auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
         p.Dialog("기계보정").ClickByUser(reader::kSaveButton);
       }},
      {"mode switch with the port unavailable", "기계보정",
       [](Program& p) {
         p.platform.fake_serial().open_error = 2;
         p.values().ReaderMode = std::wstring(settings::kModeWintab);
         auto dialog = CorrectionDialog::Make(p.platform, p.store, p.link);
         p.Dialog("기계보정").ClickByUser(reader::kModeButton);
       }},
      {"시스템 정보 with no tool", "S/W 정보",
       [](Program& p) {
         auto dialog = AboutDialog::Make(p.cross, p.platform.machineRegistry(), p.platform.processes());
         p.Dialog("S/W 정보").ClickByUser(kSysInfoButton);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    Program p;
    c.run(p);
    EXPECT_EQ(p.platform.fake_messages().owners, std::vector<std::string>{c.owner});
  }
}

TEST(AboutDialog, GetKeyValueTextForms) {
  fake::FakePlatform p;
  p.fake_registry().PutText("K", "with zero", "C:\\A", true);
  p.fake_registry().PutText("K", "without zero", "C:\\A", false);
  p.fake_registry().Put("K", "dword", {platform::RegistryType::Dword, {0x2A, 0x01, 0, 0}});
  p.fake_registry().Put("K", "big dword", {platform::RegistryType::Dword, {0xFF, 0xFF, 0xFF, 0xFF}});
  p.fake_registry().Put("K", "binary", {platform::RegistryType::Other, {0x41, 0}});
  const std::pair<const char*, const char*> read[] = {
      {"with zero", "C:\\A"}, {"without zero", "C:\\A"}, {"dword", "298"}, {"big dword", "4294967295"},
      {"binary", "kept"}};
  for (auto [name, expected] : read) {
    std::wstring value = L"kept";
    EXPECT_TRUE(GetKeyValue(p.machineRegistry(), L"K", FromUtf8(name), value)) << name;
    EXPECT_EQ(Utf8(value), expected) << name;
  }
  std::wstring value = L"kept";
  EXPECT_FALSE(GetKeyValue(p.machineRegistry(), L"K", L"missing", value));
  EXPECT_EQ(value, L"");
}

}  // namespace
}  // namespace rc::dialogs
