#pragma once
// The single modeless instance of each dialog the menu opens (properties,
// machine correction, software information). The first command makes the
// dialog, which runs its load step; while it is open a repeated command only
// brings it to the front; once the user has closed it, it is discarded and the
// next command builds it afresh from the current settings.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
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

// "속성 창을 열 수 없습니다." and the system's reason on a second line.
inline std::wstring DialogFailedText(std::wstring_view caption, std::wstring_view reason) {
  std::wstring text = std::wstring(caption) + L" 창을 열 수 없습니다.";
  if (!reason.empty()) text += L"\n" + std::wstring(reason);
  return text;
}

// The menu command's single instance of one dialog type `T` (a WindowedDialog).
template <typename T>
class DialogHost {
 public:
  // Makes the dialog and runs its load step, without showing it; null when
  // its window cannot be made, with the system's reason in the status.
  using Factory = std::function<std::unique_ptr<T>(platform::Status&)>;

  DialogHost(std::wstring_view caption, platform::MessageBoxes& messages, Factory make)
      : caption_(caption), messages_(messages), make_(std::move(make)) {}
  DialogHost(const DialogHost&) = delete;
  DialogHost& operator=(const DialogHost&) = delete;

  // The menu command: the dialog, open and in front; null when it could not
  // be made, which a message says with the system's reason.
  T* Show() {
    if (!IsOpen()) {
      dialog_.reset();  // the closed one, if any: safe here, outside its window's handlers
      platform::Status failure = platform::Status::Failed(platform::Error::Other);
      dialog_ = make_(failure);
      if (!dialog_) {
        messages_.ShowMessage(DialogFailedText(caption_, messages_.ReasonText(failure)));
        return nullptr;
      }
    }
    dialog_->BringToFront();
    return dialog_.get();
  }
  bool IsOpen() const { return dialog_ != nullptr && dialog_->IsOpen(); }

 private:
  std::wstring_view caption_;
  platform::MessageBoxes& messages_;
  Factory make_;
  // A closed dialog stays here until the next command: it is never destroyed
  // from inside its own window's close handling.
  std::unique_ptr<T> dialog_;
};

}  // namespace rc::shell
