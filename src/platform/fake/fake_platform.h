#pragma once
// An in-memory platform that records every call that reaches it, in order, as
// readable text ("Form1.top 4400", "save Dizodudoz/폼/0=1"), so that tests can
// assert the exact sequence a part of the program follows.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

namespace rc::fake {

class CallLog {
 public:
  void Add(std::string call) { calls_.push_back(std::move(call)); }
  const std::vector<std::string>& all() const { return calls_; }
  // The calls that start with `prefix`, in order.
  std::vector<std::string> With(std::string_view prefix) const;
  void Clear() { calls_.clear(); }

 private:
  std::vector<std::string> calls_;
};

class FakeWindow final : public platform::Window {
 public:
  FakeWindow(CallLog& log, platform::WindowClass window_class, std::string name,
             platform::WindowEvents& events, class FakePlatform& owner);
  ~FakeWindow() override;

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  std::uint32_t BackColor() const override { return back_color_; }
  void SetBackColor(std::uint32_t bgr) override;
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override;
  void SetBorderNone() override;
  void SetAppearanceFlat() override;
  void SetCaption(std::wstring_view caption) override;
  void SetTopmost(bool topmost) override;
  void ShowActivated() override;
  void BeginDrag() override;

  // Test side.
  const std::string& name() const { return name_; }
  platform::WindowClass window_class() const { return class_; }
  platform::WindowEvents& events() { return events_; }
  bool topmost() const { return topmost_; }
  bool plain() const { return border_none_ && flat_; }
  const std::wstring& caption() const { return caption_; }
  // Where the user drops the window when a drag runs; the move calls
  // `during_drag` (if set) at the moment the window has moved, before it ends.
  void SetDragTarget(float left, float top) { drag_left_ = left, drag_top_ = top; }
  void (*during_drag)(FakeWindow&) = nullptr;
  // Moves the window as the user's drag would, without a property call.
  void MoveByUser(float left, float top) { left_ = left, top_ = top; }

 private:
  void Record(std::string_view property, std::string value);

  CallLog& log_;
  platform::WindowClass class_;
  std::string name_;
  platform::WindowEvents& events_;
  FakePlatform& owner_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t back_color_ = 0x00FFFFFF;
  bool visible_ = false;
  bool border_none_ = false, flat_ = false, topmost_ = false;
  std::wstring caption_;
  float drag_left_ = 0, drag_top_ = 0;
};

class FakeScreen final : public platform::Screen {
 public:
  float WidthTwips() const override { return width_px * twips_per_pixel; }
  float HeightTwips() const override { return height_px * twips_per_pixel; }
  float TwipsPerPixelX() const override { return twips_per_pixel; }
  float TwipsPerPixelY() const override { return twips_per_pixel; }
  std::vector<platform::TwipsRect> Monitors() const override;

  float width_px = 1920, height_px = 1080, twips_per_pixel = 15;
  // Extra monitors beside the primary one, in twips.
  std::vector<platform::TwipsRect> extra_monitors;
};

class FakeSettings final : public platform::SettingsBackend {
 public:
  explicit FakeSettings(CallLog& log) : log_(log) {}
  std::wstring Get(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                   std::wstring_view fallback) override;
  platform::Status Save(std::wstring_view application, std::wstring_view section,
                        std::wstring_view key, std::wstring_view value) override;

  // Test side: "Dizodudoz/폼/0" style paths, UTF-8.
  void Put(const std::string& path, const std::string& value);
  bool Has(const std::string& path) const;
  std::string Value(const std::string& path) const;
  // Every stored value as "path=value", sorted.
  std::vector<std::string> Dump() const;
  // Writes to these paths fail with `code`.
  std::set<std::string> failing_paths;
  std::uint32_t failure_code = 5;

 private:
  CallLog& log_;
  std::map<std::string, std::string> values_;
};

class FakeMessages final : public platform::MessageBoxes {
 public:
  explicit FakeMessages(CallLog& log) : log_(log) {}
  void ShowMessage(std::wstring_view text) override;
  std::wstring ErrorText(std::uint32_t code) override;
  std::vector<std::string> shown;

 private:
  CallLog& log_;
};

class FakeSerialPort final : public platform::SerialPort {
 public:
  explicit FakeSerialPort(CallLog& log) : log_(log) {}
  platform::Status Configure(const platform::SerialLineSettings& settings) override;
  platform::Status Open() override;
  platform::Status Close() override;
  bool IsOpen() const override { return open_; }
  platform::Status Write(std::string_view bytes) override;

  std::uint32_t open_error = 0;  // non-zero: Open fails with it
  std::uint32_t close_error = 0;
  platform::SerialLineSettings settings;
  std::vector<std::string> written;

 private:
  CallLog& log_;
  bool open_ = false;
};

class FakeNotificationArea final : public platform::NotificationArea {
 public:
  explicit FakeNotificationArea(CallLog& log) : log_(log) {}
  platform::Status Add(const platform::TrayIconRecord& record) override;
  platform::Status Delete(const platform::TrayIconRecord& record) override;
  std::vector<platform::TrayIconRecord> added, deleted;
  bool icon_present = false;

 private:
  CallLog& log_;
};

class FakePopupMenu final : public platform::PopupMenu {
 public:
  FakePopupMenu(class FakePlatform& owner, std::span<const platform::MenuItemSpec> items);
  ~FakePopupMenu() override;
  bool IsChecked(int command) const override;
  void SetChecked(int command, bool checked) override;
  void ShowAtPointer() override;
  std::vector<std::pair<int, std::wstring>> items;

 private:
  FakePlatform& owner_;
  std::set<int> checked_;
};

class FakePlatform final : public platform::Platform {
 public:
  FakePlatform() : settings_(log), messages_(log), serial_(log), tray_(log) {}

  std::unique_ptr<platform::Window> MakeWindow(platform::WindowClass window_class,
                                               std::wstring_view name,
                                               platform::WindowEvents& events) override;
  std::unique_ptr<platform::PopupMenu> MakePopupMenu(
      platform::Window& owner, std::span<const platform::MenuItemSpec> items) override;
  void BeginWindowBatch() override { ++batch_depth; ++batches; }
  void EndWindowBatch() override { --batch_depth; }
  platform::Screen& screen() override { return screen_; }
  platform::SettingsBackend& settings() override { return settings_; }
  platform::MessageBoxes& messages() override { return messages_; }
  platform::SerialPort& serialPort() override { return serial_; }
  platform::NotificationArea& notificationArea() override { return tray_; }
  void EndProcess(int exit_code) override;

  // Test side.
  FakeWindow* Find(const std::string& name) const;
  FakeScreen& fake_screen() { return screen_; }
  FakeSettings& fake_settings() { return settings_; }
  FakeMessages& fake_messages() { return messages_; }
  FakeSerialPort& fake_serial() { return serial_; }
  FakeNotificationArea& fake_tray() { return tray_; }
  FakePopupMenu* menu() const { return menu_; }

  CallLog log;
  int batch_depth = 0;
  int batches = 0;
  bool ended = false;
  int exit_code = -1;
  // Names of windows whose creation fails.
  std::set<std::string> failing_windows;

 private:
  friend class FakeWindow;
  friend class FakePopupMenu;
  FakeScreen screen_;
  FakeSettings settings_;
  FakeMessages messages_;
  FakeSerialPort serial_;
  FakeNotificationArea tray_;
  std::map<std::string, FakeWindow*> windows_;
  FakePopupMenu* menu_ = nullptr;
};

}  // namespace rc::fake
