#pragma once
// A program window over a real HWND: a cross window (with WindowEvents) or the
// start-up window (with ShellEvents, the tray icon and the popup menu).
// Positions and sizes are kept in twips and placed in whole pixels: pixel =
// twips / twips-per-pixel, rounded to the nearest pixel with halves to even,
// the same rule for every edge and size.

#include <windows.h>

#include "platform/shell_window.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class Win32Platform;

class Win32Window final : public platform::ShellWindow {
 public:
  // Exactly one of the two event sinks is given.
  Win32Window(Win32Platform& platform, platform::WindowEvents* events, platform::ShellEvents* shell_events);
  ~Win32Window() override;
  bool Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style);

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override { if (platform::Update(left_, twips)) GeometryChanged(); }
  void SetTop(float twips) override { if (platform::Update(top_, twips)) GeometryChanged(); }
  void SetWidth(float twips) override { if (platform::Update(width_, twips)) GeometryChanged(); }
  void SetHeight(float twips) override { if (platform::Update(height_, twips)) GeometryChanged(); }
  std::uint32_t BackColour() const override { return back_colour_; }
  void SetBackColour(std::uint32_t bgr) override;
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override;
  void SetBorderNone() override;
  void SetAppearanceFlat() override;
  void SetCaption(std::wstring_view caption) override;
  void SetTopmost(bool topmost) override;
  void ShowActivated() override;
  void BeginDrag() override;
  std::unique_ptr<platform::PopupMenu> MakePopupMenu(std::span<const platform::MenuItem> items) override;
  platform::Status AddTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status ModifyTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status DeleteTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status ShowTrayNotification(const platform::TrayIconRecord& record,
                                        const platform::TrayNotification& notification) override;
  std::optional<platform::PixelPoint> TrayIconCorner(const platform::TrayIconRecord& record) override;

  HWND hwnd() const { return hwnd_.get(); }

  // Applies pending geometry and visibility into a deferred-position batch.
  HDWP Defer(HDWP batch);
  bool pending() const { return pending_geometry_ || pending_visibility_; }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool HandleShell(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // The program icon at the size the notification area shows for the system
  // DPI, loaded once; the window's own icon if it cannot be.
  HICON TrayIconImage();
  void GeometryChanged();
  void VisibilityChanged();
  void Apply();
  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;

  // The handle's own move (win32_drag.cpp). A button press remembers where and
  // which button, so that the drag grabs the handle at the press point and ends
  // on that button's release.
  struct Press {
    POINT point{};          // screen pixels
    UINT release = WM_LBUTTONUP;
    WPARAM held = MK_LBUTTON;  // the button's flag in a mouse message's wParam
  };
  void RememberPress(UINT message, WPARAM wparam, LPARAM lparam);
  // Places the window's top-left corner at this screen pixel, edges in twips to match.
  void PlaceAtPixel(POINT corner);

  Win32Platform& platform_;
  platform::WindowEvents* events_;
  platform::ShellEvents* shell_events_;
  OwnedWindow hwnd_;
  OwnedGdiObject brush_;
  OwnedIcon tray_icon_image_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t back_colour_ = 0x00FFFFFF;
  bool visible_ = false;
  bool pending_geometry_ = false, pending_visibility_ = false;
  bool queued_ = false;
  Press press_;
  bool dragging_ = false;
};

}  // namespace rc::win32
