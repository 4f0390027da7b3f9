#pragma once
// Stands in for a cross window the platform could not create, so that the
// layout and the handlers never meet a missing window: it keeps its properties
// and reaches nothing.

#include <string>

#include "platform/window.h"

namespace rc::cross {

class InertWindow final : public platform::Window {
 public:
  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override { left_ = twips; }
  void SetTop(float twips) override { top_ = twips; }
  void SetWidth(float twips) override { width_ = twips; }
  void SetHeight(float twips) override { height_ = twips; }
  std::uint32_t BackColor() const override { return color_; }
  void SetBackColor(std::uint32_t bgr) override { color_ = bgr; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetBorderNone() override {}
  void SetAppearanceFlat() override {}
  void SetCaption(std::wstring_view) override {}
  void SetTopmost(bool) override {}
  void ShowActivated() override { visible_ = true; }
  void BeginDrag() override {}

 private:
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t color_ = 0x00FFFFFF;
  bool visible_ = false;
};

}  // namespace rc::cross
