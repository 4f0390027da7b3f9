#pragma once
// The single modeless instance of each dialog the menu opens (properties,
// machine correction, software information). The first command makes the
// dialog, which runs its load step; while it is open a repeated command only
// brings it to the front; once the user has closed it, it is discarded and the
// next command builds it afresh from the current settings.

#include <functional>
#include <memory>

#include "platform/dialog.h"


namespace rc::shell {

// A dialog as the menu sees it.
class ModelessDialog {
 public:
  virtual ~ModelessDialog() = default;  // discards the dialog with its window
  // False once the user has closed it.
  virtual bool IsOpen() const = 0;
  // Shows it modeless, activated and in front.
  virtual void BringToFront() = 0;
};

// Makes a dialog and runs its load step, without showing it; null when its
// window cannot be made.
using DialogFactory = std::function<std::unique_ptr<ModelessDialog>()>;

class DialogHost {
 public:
  explicit DialogHost(DialogFactory make) : make_(std::move(make)) {}
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // The menu command.
  void Show();
  bool IsOpen() const { return dialog_ != nullptr && dialog_->IsOpen(); }
  // The open dialog, else null.

 private:
  DialogFactory make_;
  // A closed dialog stays here until the next command: it is never destroyed
  // from inside its own window's close handling.
  std::unique_ptr<ModelessDialog> dialog_;
};

// A dialog that owns its window: open until the user closes the window.
class WindowedDialog : public ModelessDialog, public platform::DialogEvents {
 public:
  bool IsOpen() const override { return window_ != nullptr && window_->IsOpen(); }
  void BringToFront() override {
    if (IsOpen()) window_->ShowActivated();
  }
  platform::Dialog& window() { return *window_; }

 protected:
  std::unique_ptr<platform::Dialog> window_;
};

}  // namespace rc::shell
