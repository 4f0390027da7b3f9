#pragma once
// A program started over the fake platform, as the start-up window loads it,
// for the scenarios of the cross, the start-up window and the dialogs.

#include <gtest/gtest.h>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"

namespace rc::unit {

using Calls = std::vector<std::string>;
// "Dizodudoz/폼/0" style paths and their stored texts.
using Stored = std::vector<std::pair<std::string, std::string>>;

// What an exit saves: on top, the handle at (6000, 4000), the first run's sizes.
inline const Stored kExitSaved = {{"Dizodudoz/선택사항/색상", "255"},   {"Dizodudoz/선택사항/항상위", "True"},
                                  {"Dizodudoz/크기/Length", "350"},     {"Dizodudoz/크기/Thickness", "50"},
                                  {"Dizodudoz/크기/Gap", "350"},        {"Dizodudoz/위치/XPosition", "6000"},
                                  {"Dizodudoz/위치/YPosition", "4000"}, {"Dizodudoz/위치/고정", "False"}};

inline std::string PartName(int part) { return part == 0 ? "frm_Center" : "Form" + std::to_string(part); }

struct Program {
  // Loads the program over `stored` ({}: a first run); `flags`: the nineteen
  // part flags "1" first.
  void Start(const Stored& stored = {}, bool flags = false) {
    for (int i = 0; flags && i < 19; ++i) platform.fake_settings.Put("Dizodudoz/폼/" + std::to_string(i), "1");
    for (const auto& [path, text] : stored) platform.fake_settings.Put(path, text);
    ASSERT_TRUE(startup.Load());
  }
  const settings::ProgramSettings& values() { return startup.store().values(); }
  settings::SettingsStore& store() { return startup.store(); }
  fake::FakeWindow& Part(int part) { return *platform.Find(PartName(part)); }
  fake::FakeDialog& Dialog(const std::string& caption) { return *platform.FindDialog(caption); }

  fake::FakePlatform platform;
  app::StartUpWindow startup{platform};
};

class StartedProgram : public ::testing::Test, public Program {};

}  // namespace rc::unit
