#pragma once
// A window of the cross (a bar or the centre handle) over a real HWND, with
// WindowEvents. Positions and sizes are kept in twips and placed in whole
// pixels: pixel = twips / twips-per-pixel, rounded to the nearest pixel with
// halves to even, the same rule for every edge and size.

#include <windows.h>

#include "platform/win32/win32_window.h"
#include "platform/window.h"

namespace rc::win32 {

class Win32Platform;

class Win32CrossWindow final : public Win32WindowBase, public platform::Window {
 public:
  Win32CrossWindow(Win32Platform& platform, platform::WindowClass window_class, platform::WindowEvents& events)
      : platform_(platform), window_class_(window_class), events_(events) {}
  ~Win32CrossWindow() override;
  // A layered window (WS_EX_LAYERED), drawn opaque until SetAlpha says otherwise.
  platform::Status Create(const wchar_t* class_name, DWORD style, DWORD ex_style);

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override {
    if (platform::Update(left_, twips)) GeometryChanged();
  }
  void SetTop(float twips) override {
    if (platform::Update(top_, twips)) GeometryChanged();
  }
  void SetWidth(float twips) override {
    if (platform::Update(width_, twips)) GeometryChanged();
  }
  void SetHeight(float twips) override {
    if (platform::Update(height_, twips)) GeometryChanged();
  }
  std::uint32_t BackColour() const override { return back_colour_; }
  void SetBackColour(std::uint32_t bgr) override;
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override;
  std::uint8_t Alpha() const override { return alpha_; }
  void SetAlpha(std::uint8_t alpha) override;
  void SetTopmost(bool topmost) override;
  platform::Status SetExcludedFromCapture(bool excluded) override;
  void ShowActivated() override;
  void BeginDrag() override;

  // Applies pending geometry and visibility into a deferred-position batch.
  HDWP Defer(HDWP batch);
  bool pending() const { return pending_geometry_ || pending_visibility_; }

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  void GeometryChanged();
  void VisibilityChanged();
  void Apply();

  // The handle's own move (win32_drag.cpp). A button press remembers where and
  // which button, so that the drag grabs the handle at the press point and ends
  // on that button's release.
  struct Press {
    POINT point{};  // screen pixels
    UINT release = WM_LBUTTONUP;
    WPARAM held = MK_LBUTTON;  // the button's flag in a mouse message's wParam
  };
  void RememberPress(UINT message, WPARAM wparam, LPARAM lparam);
  // Places the window's top-left corner at this screen pixel, edges in twips to match.
  void PlaceAtPixel(POINT corner);

  Win32Platform& platform_;
  platform::WindowClass window_class_;
  platform::WindowEvents& events_;
  OwnedGdiObject brush_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t back_colour_ = 0x00FFFFFF;
  bool visible_ = false;
  std::uint8_t alpha_ = 255;
  bool pending_geometry_ = false, pending_visibility_ = false;
  bool queued_ = false;
  Press press_;
  bool dragging_ = false;
};

}  // namespace rc::win32
