// The three dialogs over the fake platform: what each load shows, what each
// control changes and stores, and the system-information lookup. Their tab
// order is walked with real keys end to end.
#include <gtest/gtest.h>

#include <array>

#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "reader/correction_dialog.h"
#include "shell/popup_menu_items.h"
#include "started_program.h"

namespace rc::dialogs {
namespace {

using fake::FakeDialog;
using unit::Calls;
constexpr std::uint32_t kButtonFace = 0x00F0F0F0;

// A started program, on its first run unless told (every part flag on): the
// cross laid out around the handle at the screen's middle (14400, 8100), the
// reader's port open.
struct Program : unit::Program {
  explicit Program(const unit::Stored& stored = {}) {
    Start(stored, true);
    platform.log.Clear();
  }
  FakeDialog& Open(int command, const char* caption) {
    startup.OnMenuCommand(command);
    return Dialog(caption);
  }
};

// The list entry by exact text; the scroll positions of the sizes, halves to
// even, clamped to 1..10, and the sizes they stand for; the layout only when a
// position moved from 5; the opacity kept as it is; nothing stored, nothing shown.
TEST(PropertiesDialog, LoadShowsTheSettingsAsItsControlsHoldThem) {
  // sizes: Length, Gap, Thickness
  struct Case {
    const char* colour;
    std::array<std::int16_t, 3> sizes;
    int entry;
    std::uint32_t shown;
    std::array<int, 3> positions;
    std::array<std::int16_t, 3> after;
    int opacity = 100, opacity_after = 100;
  };
  // clang-format off
  const Case cases[] = {
      {"255", {350, 350, 50}, 0, 255, {5, 5, 5}, {350, 350, 50}},  // the first run's
      {"65280", {455, 700, 25}, 1, 65280, {6, 10, 2}, {420, 700, 20}, 55, 55},  // 6.5 -> 6, 2.5 -> 2
      {"16711680", {360, 0, 30000}, 2, 16711680, {5, 1, 10}, {360, 70, 100}},  // 5.14 -> 5: kept
      {"0", {385, 350, 50}, 4, 0, {6, 5, 5}, {420, 350, 50}, 10, 10},  // 5.5 -> 6
      {"128", {350, 350, 50}, -1, 128, {5, 5, 5}, {350, 350, 50}},  // dark red, not in the list
      {" 255", {350, 350, 50}, -1, 255, {5, 5, 5}, {350, 350, 50}},  // not the entry's text
      {"abc", {350, 350, 50}, 0, 255, {5, 5, 5}, {350, 350, 50}},  // not a colour: as the cross shows it
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.colour);
    Program p({{"Dizodudoz/선택사항/색상", c.colour},
               {"Dizodudoz/크기/Length", std::to_string(c.sizes[0])},
               {"Dizodudoz/크기/Gap", std::to_string(c.sizes[1])},
               {"Dizodudoz/크기/Thickness", std::to_string(c.sizes[2])},
               {"Dizodudoz/폼/3", "0"},
               {"Dizodudoz/선택사항/불투명도", std::to_string(c.opacity)}});
    const settings::ProgramSettings& v = p.values();
    auto dialog = PropertiesDialog::Make(p.startup.cross(), p.startup.shortcuts());
    FakeDialog& w = p.Dialog("속성");
    EXPECT_EQ(w.Selection(kColourList), c.entry);
    EXPECT_EQ(w.FillColour(kColourPreview), c.shown);
    EXPECT_EQ(w.FillColour(PartSwatch(2)), c.shown);
    EXPECT_EQ(w.FillColour(PartSwatch(3)), kButtonFace);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(w.ScrollPosition(SizeBar(k)), c.positions[k]) << k;
      EXPECT_EQ(w.Text(SizeValue(k)), std::to_wstring(c.positions[k])) << k;
    }
    EXPECT_EQ((std::array{v.Length, v.Gap, v.Thickness}), c.after);
    EXPECT_EQ(v.Opacity, c.opacity_after);
    EXPECT_EQ(w.Text(kOpacityValue), OpacityText(c.opacity_after));
    EXPECT_EQ(ToUtf8(v.CrossColor), c.colour);
    EXPECT_EQ(p.platform.log.With("Form").empty(), c.positions == (std::array{5, 5, 5}));
    EXPECT_TRUE(p.platform.log.With("save ").empty());
    EXPECT_FALSE(w.visible()) << "shown by the menu command";
  }
}

// Beside the handle's right edge, on its top edge; below it when there is no room
// above; raised to end on the screen.
TEST(PropertiesDialog, OpensAboveTheHandleOrBelowIt) {
  Program p;
  auto above = PropertiesDialog::Make(p.startup.cross(), p.startup.shortcuts());
  EXPECT_EQ(p.Dialog("속성").Left(), 14400 + 50);
  EXPECT_EQ(p.Dialog("속성").Top(), 8100 - p.Dialog("속성").Height());
  above.reset();
  p.Part(0).SetTop(1000);  // less than the dialog's height
  auto below = PropertiesDialog::Make(p.startup.cross(), p.startup.shortcuts());
  EXPECT_EQ(p.Dialog("속성").Top(), 1000 + 50);
  below.reset();
  p.platform.fake_screen.height_px = 500;  // 7500 twips: no room below either
  p.Part(0).SetTop(3000);
  auto raised = PropertiesDialog::Make(p.startup.cross(), p.startup.shortcuts());
  EXPECT_EQ(p.Dialog("속성").Top(), 7500 - p.Dialog("속성").Height());
}

// What the real dialog cannot be made to meet: a colour picked while a part is
// hidden reaches that part too; the centre swatch never toggles; the opacity
// reaches all nineteen windows; the sign-in box shows what the next sign-in
// does (the installer may have written the Run value, another copy or Task
// Manager may have changed it), and a tick makes it start this copy; a failed
// write is reported over the dialog. Live changes of the visible cross by the list, a
// swatch and a size bar are driven end to end.
TEST(PropertiesDialog, HiddenPartsTakeTheColourOpacityReachesAllAndTheSignInBoxIsTheRunValue) {
  struct SignIn {
    const wchar_t* value;
    bool switched_off, ticked, has_path = true;
  };
  // clang-format off
  const SignIn sign_ins[] = {
      {nullptr, false, false},
      {L"\"C:\\Tools\\Reticor2.exe\"", false, true},
      {L" c:\\tools\\RETICOR2.EXE /AUTOSTART", false, true},  // unquoted, another case
      {L"\"C:\\Users\\kim\\Downloads\\Reticor2\\Reticor2.exe\"", false, false},  // another copy
      {L"\"C:\\Tools\\Reticor2.exe\"", true, false},  // switched off in Task Manager
      {nullptr, false, false, false},  // no path of its own: the box does nothing and says why
  };
  // clang-format on
  for (const SignIn& s : sign_ins) {
    Program q;
    if (s.value != nullptr) q.platform.fake_sign_in.value = s.value;
    q.platform.fake_sign_in.switched_off = s.switched_off;
    if (!s.has_path) q.platform.fake_processes.program_path.clear();
    FakeDialog& box = q.Open(shell::kColor, "속성");
    EXPECT_EQ(box.Checked(kSignInBox), s.ticked) << ToUtf8(s.value != nullptr ? s.value : L"");
    if (s.ticked) continue;
    box.ClickByUser(kSignInBox);  // then it starts this copy
    EXPECT_EQ(box.Checked(kSignInBox), s.has_path);
    EXPECT_EQ(q.platform.fake_sign_in.value,
              s.has_path ? std::optional<std::wstring>(L"\"C:\\Tools\\Reticor2.exe\"") : std::nullopt);
    EXPECT_FALSE(q.platform.fake_sign_in.switched_off);
    EXPECT_EQ(q.platform.fake_messages.owners.size(), s.has_path ? 0u : 1u);
  }

  Program p;
  p.platform.fake_sign_in.value = L"\"C:\\Tools\\Reticor2.exe\"";
  FakeDialog& w = p.Open(shell::kColor, "속성");
  EXPECT_TRUE(w.Checked(kSignInBox));
  p.platform.fake_sign_in.write_error = 5;
  w.ClickByUser(kSignInBox);  // writing and deleting the value are driven end to end
  EXPECT_TRUE(w.Checked(kSignInBox)) << "the box shows what the value holds";
  EXPECT_EQ(p.platform.fake_messages.shown,
            Calls{"설정을 저장하지 못했습니다: Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Reticor2\nerror 5"});
  w.ScrollByUser(kOpacityBar, 5);
  for (int part = 0; part <= 18; ++part) EXPECT_EQ(p.Part(part).Alpha(), 128) << part;
  EXPECT_EQ(w.Text(kOpacityValue), L"50 %");
  w.ClickByUser(PartSwatch(7));
  w.PickByUser(kColourList, 3);  // 갈색
  EXPECT_EQ(w.FillColour(kColourPreview), 16512u);
  EXPECT_EQ(w.FillColour(PartSwatch(7)), kButtonFace);
  w.ClickByUser(PartSwatch(7));
  EXPECT_EQ(p.Part(7).BackColour(), 16512u);
  EXPECT_EQ(w.FillColour(PartSwatch(7)), 16512u);
  w.ScrollByUser(SizeBar(2), 1);
  EXPECT_EQ(p.Part(0).Width(), 10);
  w.ClickByUser(PartSwatch(0));
  EXPECT_EQ(w.FillColour(PartSwatch(0)), 16512u);
  EXPECT_TRUE(p.values().PartVisible[0]);
  EXPECT_EQ(p.platform.log.With("save "), (Calls{"save Dizodudoz/폼/7=0", "save Dizodudoz/폼/7=1"}));
  p.platform.fake_settings.failing_paths = {"Dizodudoz/폼/7"};
  w.ClickByUser(PartSwatch(7));
  EXPECT_EQ(p.platform.fake_messages.owners, (Calls{"속성", "속성"}));
}

// Left out of screen captures: every window at start when stored, and at once
// on a tick; where the system cannot (before Windows 10 2004) the box says so
// and takes no click, and a stored value there is set back; a refused call
// leaves the cross as it was, the box unticked, the store saying so.
TEST(PropertiesDialog, TheCaptureBoxLeavesEveryWindowOutOfCapturesOrSaysWhyNot) {
  struct Case {
    const char* what;
    const char* stored;  // the stored text, if any
    bool can;
    std::uint32_t error;
    bool click, excluded;
    std::string stored_after;
  };
  // clang-format off
  const Case cases[] = {
      {"stored: at start", "True", true, 0, false, true, "True"},
      {"ticked", nullptr, true, 0, true, true, "True"},
      {"ticked, the system refuses", nullptr, true, 5, true, false, "False"},
      {"the system cannot; a stored text that is no word reads as off", "maybe", false, 0, true, false, "maybe"},
      {"stored where the system cannot", "True", false, 0, false, false, "False"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unit::Program p;
    p.platform.fake_screen.can_exclude_from_capture = c.can;
    p.Start(c.stored ? unit::Stored{{"Dizodudoz/선택사항/캡처제외", c.stored}} : unit::Stored{});
    for (int part = 0; part <= 18; ++part) p.Part(part).capture_error = c.error;
    p.startup.OnMenuCommand(shell::kColor);
    FakeDialog& w = p.Dialog("속성");
    EXPECT_EQ(w.Enabled(kCaptureBox), c.can);
    EXPECT_EQ(ToUtf8(w.Text(kCaptureBox)),
              c.can ? "화면 캡처에서 숨기기" : "화면 캡처에서 숨기기 (Windows 10 2004 이상)");
    if (c.click) w.ClickByUser(kCaptureBox);
    for (int part = 0; part <= 18; ++part) EXPECT_EQ(p.Part(part).capture_excluded(), c.excluded) << part;
    EXPECT_EQ(w.Checked(kCaptureBox), c.excluded);
    EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/선택사항/캡처제외"), c.stored_after);
  }
}

// Load shows the mode, the ratio (empty: "0,0", kept in memory) and the angle.
// 저장 reads a comma angle by the reading rule and keeps a ratio as typed; a
// failed write is told over the dialog, which stays open; closing stores
// nothing. A stored "12abc" saved as 12 is seen end to end.
TEST(CorrectionDialog, LoadSaveAndClose) {
  Program p(unit::Stored{{"기계보정/각도/각도", "-2.25"}, {"기계보정/모드/모드", "Wintab 전환"}});
  FakeDialog& w = p.Open(shell::kRevision, "기계보정");
  EXPECT_EQ(ToUtf8(w.Text(reader::kModeButton)), "Wintab 전환");
  EXPECT_EQ(w.Text(reader::kRatioBox), L"0,0");
  EXPECT_EQ(p.values().LengthRatio, L"0,0");
  EXPECT_EQ(w.Text(reader::kAngleBox), L"-2.25");
  w.TypeByUser(reader::kAngleBox, L"1,5");
  w.TypeByUser(reader::kRatioBox, L"1.5");  // no comma: kept as typed
  p.platform.fake_settings.failing_paths = {"기계보정/모드/모드"};
  w.ClickByUser(reader::kSaveButton);
  EXPECT_EQ(w.Text(reader::kAngleBox), L"1");
  EXPECT_EQ(p.platform.fake_settings.Value("기계보정/길이비율/길이비율"), "1.5");
  EXPECT_EQ(p.platform.fake_messages.owners, Calls{"기계보정"});
  EXPECT_TRUE(w.IsOpen());
  p.platform.log.Clear();
  w.TypeByUser(reader::kAngleBox, L"45");
  w.CloseByUser();
  EXPECT_EQ(p.values().CorrectionAngle, 1);
  EXPECT_TRUE(p.platform.log.With("save ").empty());
  EXPECT_EQ(p.Open(shell::kRevision, "기계보정").Text(reader::kRatioBox), L"1.5");
}

// The mode button when the port will not open: a message naming the port over
// the dialog, and the caption stays. The switch itself is driven end to end.
TEST(CorrectionDialog, AModeButtonThatCannotOpenThePortSaysSoAndKeepsTheMode) {
  for (const auto& [port, message] : {std::pair{"", "COM2 포트가 열려 있거나 닫혀있습니다."},
                                      std::pair{"COM5", "COM5 포트가 열려 있거나 닫혀있습니다."}}) {
    Program p(unit::Stored{{"기계보정/포트/포트", port}});
    p.platform.fake_serial.open_error = 2;
    FakeDialog& w = p.Open(shell::kRevision, "기계보정");
    w.ClickByUser(reader::kModeButton);
    EXPECT_TRUE(p.platform.fake_messages.shown.empty());
    w.ClickByUser(reader::kModeButton);
    EXPECT_EQ(p.platform.fake_messages.shown, Calls{message});
    EXPECT_EQ(p.platform.fake_messages.owners, Calls{"기계보정"});
    EXPECT_EQ(ToUtf8(w.Text(reader::kModeButton)), "Wintab 전환");
    EXPECT_TRUE(p.platform.log.With("save ").empty()) << "only 저장 stores the mode";
  }
}

// A port chosen reaches the link at once. A closed dialog hears nothing more of
// the link, and the next one loads the link as it is, the last line included;
// a port the system's lists miss is listed as present while the link holds it.
// The chooser and the state line following the link while the dialog is open,
// and choosing a port by keys, are driven end to end; the list's entries are
// the port choices' table.
TEST(CorrectionDialog, AChoiceReachesTheLinkAClosedDialogHearsNothingTheNextLoadsTheLinkAsItIs) {
  Program p(unit::Stored{{"기계보정/포트/포트", "COM5"}});
  p.platform.fake_ports.ports = {{L"COM5", L""}, {L"COM7", L""}};
  p.platform.fake_clock.Advance(1000);
  p.platform.fake_serial.Receive("  12345,  23456   5\r");
  FakeDialog& w = p.Open(shell::kRevision, "기계보정");
  w.PickByUser(reader::kPortList, 1);
  EXPECT_EQ(p.platform.fake_serial.opened_name, L"COM7");
  EXPECT_EQ(p.platform.fake_settings.Value("기계보정/포트/포트"), "COM7");
  w.CloseByUser();
  p.platform.fake_ports.ports = {{L"COM5", L""}};
  p.startup.OnSerialPortRemoved(L"COM7");
  EXPECT_EQ(w.Items(reader::kPortList), (Calls{"COM5", "COM7"}));
  EXPECT_EQ(ToUtf8(w.Text(reader::kStatusLine)), "COM7: 열림, 수신 대기 중");
  FakeDialog& next = p.Open(shell::kRevision, "기계보정");
  EXPECT_EQ(next.Items(reader::kPortList), (Calls{"COM5", "COM7 (없음)"}));
  EXPECT_EQ(ToUtf8(next.Text(reader::kStatusLine)), "COM7: 없음 (꽂으면 자동으로 엽니다)");
  EXPECT_EQ(ToUtf8(next.Text(reader::kReceivedBox)), "  12345,  23456   5 → 응답 없음: 상태 문자가 0 또는 3이 아님");
  p.startup.OnSerialPortArrived(L"COM7");  // back, still missed by the system's lists: listed while open
  EXPECT_EQ(next.Items(reader::kPortList), (Calls{"COM5", "COM7"}));
  p.platform.fake_serial.Lose();
  EXPECT_EQ(next.Items(reader::kPortList), (Calls{"COM5", "COM7 (없음)"}));
  p.platform.fake_ports.ports = {};
  p.startup.OnSerialPortRemoved(L"COM5");
  EXPECT_EQ(next.Items(reader::kPortList), (Calls{"COM7 (없음)"}));
  p.platform.fake_ports.ports = {{L"COM5", L""}};
  p.startup.OnSerialPortRemoved(L"COM7");
  p.startup.OnSerialPortArrived(L"COM7");
  next.PickByUser(reader::kPortList, 0);  // from one open port to another
  EXPECT_EQ(next.Items(reader::kPortList), Calls{"COM5"}) << "the old port's entry goes";
}

// Its middle on Form5's top-left corner; OK closes.
TEST(AboutDialog, PlacedOnForm5AndOkCloses) {
  Program p;
  FakeDialog& w = p.Open(shell::kSWinfo, "S/W 정보");
  EXPECT_EQ(w.Left(), p.Part(5).Left() - w.Width() / 2);
  EXPECT_EQ(w.Top(), p.Part(5).Top() - w.Height() / 2);
  w.ClickByUser(kOkButton);
  EXPECT_FALSE(w.IsOpen());
}

// A machine-wide value as text: with or without its terminating zero, an odd
// last byte no character, a DWORD's decimal text (read into four zeroed bytes),
// nothing for another type.
TEST(AboutDialog, MachineWideValuesReadAsText) {
  using enum platform::RegistryType;
  const std::pair<platform::RegistryValue, std::optional<std::wstring>> cases[] = {
      {{String, {'C', 0, ':', 0, 0, 0}}, L"C:"},
      {{String, {'C', 0, ':', 0}}, L"C:"},
      {{String, {'C', 0, ':'}}, L"C"},
      {{Dword, {0x10, 0x27, 0, 0}}, L"10000"},
      {{Dword, {7}}, L"7"},
      {{Other, {1, 2, 3}}, std::nullopt},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(RegistryText(value), text);
}

// Where the system-information tool is looked for, in order, each place once:
// each view's PATH as it stands (64-bit first), each view's folder with
// MSINFO32.EXE in it, then the system folder's msinfo32.exe; those built from a
// folder must exist. Starting the first that starts is driven end to end.
TEST(AboutDialog, TheToolIsLookedForInEachViewThenTheSystemFolderEachPlaceOnce) {
  using Places = std::vector<std::pair<std::wstring, bool>>;
  auto places = [](const SysInfoFindings& found) {
    Places out;
    for (const SysInfoProgram& p : SysInfoPrograms(found)) out.emplace_back(p.path, p.must_exist);
    return out;
  };
  const std::wstring system = L"C:\\Windows\\system32\\msinfo32.exe";
  EXPECT_EQ(
      places({{L"C:\\A.exe", L"C:\\B.exe"}, {L"C:\\Shared", std::nullopt}, L"C:\\Windows\\system32"}),
      (Places{{L"C:\\A.exe", false}, {L"C:\\B.exe", false}, {L"C:\\Shared\\MSINFO32.EXE", true}, {system, true}}));
  EXPECT_EQ(places({{L"C:\\Windows\\System32\\MSINFO32.exe", L""},
                    {L"c:\\windows\\system32", L"C:\\Windows\\system32"},
                    L"C:\\Windows\\system32"}),
            (Places{{L"C:\\Windows\\System32\\MSINFO32.exe", false}, {L"", false}}))
      << "the same file named twice, in any letter case, and a value that was no text";
  EXPECT_EQ(places({}), Places{});
}

// Each table's control has its own id, its row's place, and each tab stop its own
// order; a control's pixels at a monitor's scale, each edge on its own pixel
// (144 DPI: the length bar in its frame, 660 + 1095 = 1755 twips is 175.5 pixels).
TEST(DialogLayouts, EveryControlHasItsOwnIdAndTheTablesAreAsShipped) {
  for (const platform::DialogLayout* layout : {&kPropertiesLayout, &reader::kCorrectionLayout, &kAboutLayout}) {
    std::set<int> orders;
    for (std::size_t i = 0; i < layout->controls.size(); ++i) {
      EXPECT_EQ(layout->controls[i].id, static_cast<int>(i)) << ToUtf8(layout->controls[i].name);
      if (layout->controls[i].tab_order >= 0) {
        EXPECT_TRUE(orders.insert(layout->controls[i].tab_order).second);
      }
    }
  }
  // The three tables as shipped, folded: a changed number shows here (where each lands is seen end to end).
  std::uint64_t folded = 1469598103934665603u;
  for (const platform::DialogLayout* layout : {&kPropertiesLayout, &reader::kCorrectionLayout, &kAboutLayout}) {
    for (const platform::ControlLayout& c : layout->controls) {
      for (const float n : {float(c.parent), float(c.kind), c.left, c.top, c.width, c.height, float(c.tab_order),
                            float(c.minimum), float(c.maximum), float(c.position)})
        folded = (folded ^ static_cast<std::uint64_t>(2 * n + 4096)) * 1099511628211u;
    }
  }
  EXPECT_EQ(folded, 8755204818297367859u);
}

}  // namespace
}  // namespace rc::dialogs
