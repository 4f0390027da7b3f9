#pragma once
// The single modeless instance of each dialog the menu opens (properties,
// machine correction, software information). The first command makes the
// dialog, which runs its load step; while it is open a repeated command only
// brings it to the front; once the user has closed it, it is discarded and the
// next command builds it afresh from the current settings.

#include <functional>
#include <memory>
#include <utility>

#include "platform/dialog.h"
#include "platform/message_box.h"
#include "settings/settings_store.h"

namespace rc::shell {

// A dialog of the program: it owns its window, fills it in its load step and
// answers the window's events. Open until the user closes the window.
class WindowedDialog : public platform::DialogEvents {
 public:
  virtual ~WindowedDialog() = default;  // discards the dialog with its window
  bool IsOpen() const { return window_ != nullptr && window_->IsOpen(); }
  // Shows it modeless, activated and in front.
  void BringToFront() {
    if (IsOpen()) window_->ShowActivated();
  }

 protected:
  // A save that failed, told in a message over this dialog.
  void ReportWriteFailure(const settings::WriteResult& written, platform::MessageBoxes& messages) {
    if (written && window_) window_->ShowMessage(settings::WriteFailedText(*written, messages));
  }

  std::unique_ptr<platform::Dialog> window_;
};

// The menu command's single instance of one dialog type `T` (a WindowedDialog).
template <typename T>
class DialogHost {
 public:
  // Makes the dialog and runs its load step, without showing it; null when
  // its window cannot be made.
  using Factory = std::function<std::unique_ptr<T>()>;

  explicit DialogHost(Factory make) : make_(std::move(make)) {}
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // The menu command: the dialog, open and in front; null when it could not
  // be made (the command then does nothing).
  T* Show() {
    if (!IsOpen()) {
      dialog_.reset();  // the closed one, if any: safe here, outside its window's handlers
      dialog_ = make_();
      if (!dialog_) return nullptr;
    }
    dialog_->BringToFront();
    return dialog_.get();
  }
  bool IsOpen() const { return dialog_ != nullptr && dialog_->IsOpen(); }

 private:
  Factory make_;
  // A closed dialog stays here until the next command: it is never destroyed
  // from inside its own window's close handling.
  std::unique_ptr<T> dialog_;
};

}  // namespace rc::shell
