#pragma once
// The hidden start-up window: its load is the program's start-up sequence, and
// it owns everything the program has (settings, cross, tray icon and menu,
// global shortcuts, reader link, dialogs). After start-up the program only
// reacts to events.

#include <memory>
#include <optional>

#include "cross/cross.h"
#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "platform/platform.h"
#include "reader/correction_dialog.h"
#include "reader/port_watch.h"
#include "reader/reader_link.h"
#include "settings/settings_store.h"
#include "shell/dialog_host.h"
#include "shell/shortcuts.h"
#include "shell/tray_icon.h"

namespace rc::app {

class StartUpWindow final : public platform::ShellEvents,
                            public reader::LinkObserver,
                            public settings::SettingsObserver {
 public:
  explicit StartUpWindow(platform::Platform& platform);
  ~StartUpWindow();
  StartUpWindow(const StartUpWindow&) = delete;
  StartUpWindow& operator=(const StartUpWindow&) = delete;

  // The start-up sequence. False when the program could not start; the user
  // has been told what failed and the process should end with a failure code.
  bool Load();

  // The exit command: save the display settings, remove the tray icon, end the
  // process at once.
  void Finish();

  settings::SettingsStore& store() { return store_; }
  // The crosshair: bar windows, centre handle, layout.
  cross::Cross& cross() { return cross_; }
  platform::PopupMenu* menu() { return menu_.get(); }
  shell::Shortcuts& shortcuts() { return shortcuts_; }

  // Events of the start-up window.
  void OnClose() override;
  void OnSessionEnding() override;
  // What the icon's notification does (shell::TrayCallback): show the cross,
  // open the menu, or what the notification clicked offered.
  void OnTrayEvent(platform::TrayEvent event) override;
  void OnMenuCommand(int command) override;
  // The notification area was re-created (the shell restarted): the icon is
  // added again, or the program would run on with no way to reach it.
  void OnTaskbarCreated() override;
  // A second start shows this copy's centre handle, as the icon's double-click does.
  void OnAnotherCopyStarted() override;
  // Serial ports coming and going, however the system says it, and the system
  // waking up, concern the reader link.
  void OnSerialPortArrived(std::wstring_view port_name) override;
  void OnSerialPortRemoved(std::wstring_view port_name) override;
  void OnSerialPortsChanged() override;
  void OnSystemResumed() override;
  // A global shortcut: hide or show the cross, bring it to the pointer, nudge
  // it a pixel (neither while it is held), or the hold command.
  void OnHotkey(int id) override;
  // The icon's tip follows the link's state.
  void OnLinkChanged() override;
  // The port in use would not open at start-up: a notification names the others.
  void OnStartUpOpenFailed() override;
  // A cross left on no monitor by the change comes back.
  void OnDisplayChanged() override;
  // The menu's check marks show 항상위 and 고정 as they are; the link takes
  // another port at once.
  void OnSettingChanged(settings::Setting setting) override;

 private:
  // The steps of the start-up sequence, in their order.
  void CreateCrossWindows();
  // The stored 항상위, applied to the cross and shown in the menu.
  void Ini_OnTop();
  void ShowCentreHandle();
  void ConfigureReaderPort();
  // The cross shown (also after its shortcut hid it), the handle activated and
  // in front, wherever the program was asked for it.
  void ShowCrossActivated();
  // The menu's 항상위 and 고정 commands and the hold shortcut: the stored value
  // turned, whatever any check mark shows.
  void Toggle(bool settings::ProgramSettings::*flag);

  // The popup menu, at `at` or at the pointer.
  void ShowMenu(std::optional<platform::PixelPoint> at);
  void ActOn(const std::vector<reader::PortChange>& changes);
  // A save that failed, told in a message to the whole program.
  void ReportWriteFailure(const settings::WriteResult& written);
  // The first run's note, unless it was told already (alone or with another).
  void NoteFirstRun();
  // The centre handle's current edges, as the exit save writes them.
  float HandleLeft() const;
  float HandleTop() const;

  platform::Platform& platform_;
  settings::SettingsStore store_;
  cross::Cross cross_;              // after store_: it reads the settings
  reader::ReaderLink reader_link_;  // the reader's port; after store_: it reads the settings
  shell::TrayIcon tray_icon_;
  shell::Shortcuts shortcuts_;
  std::unique_ptr<platform::ShellWindow> window_;
  std::unique_ptr<platform::PopupMenu> menu_;  // the tray icon's popup menu, kDizodudozPop
  shell::TrayCallback tray_callback_;
  bool first_run_note_ = false;                  // the first run's note is still to be told
  std::optional<reader::PortWatch> port_watch_;  // from the port list read at start-up
  // The dialogs of the menu: properties, machine correction, software information.
  shell::DialogHost<dialogs::PropertiesDialog> properties_dialog_;
  shell::DialogHost<reader::CorrectionDialog> revision_dialog_;
  shell::DialogHost<dialogs::AboutDialog> about_dialog_;
};

}  // namespace rc::app
