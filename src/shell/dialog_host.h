#pragma once
// The single modeless instance of each dialog the menu opens (properties,
// machine correction, software information). The first command makes the
// dialog, which runs its load step; while it is open a repeated command only
// brings it to the front; once the user has closed it, it is discarded and the
// next command builds it afresh from the current settings.

#include <functional>
#include <memory>
#include <string_view>

#include "platform/platform.h"

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
  ModelessDialog* current() const { return IsOpen() ? dialog_.get() : nullptr; }

 private:
  DialogFactory make_;
  // A closed dialog stays here until the next command: it is never destroyed
  // from inside its own window's close handling.
  std::unique_ptr<ModelessDialog> dialog_;
};

// A plain dialog window with a caption and a client size: all that a dialog is
// until its controls are built, and the base of a dialog that has no state of
// its own beyond its window.
class PlainDialog : public ModelessDialog, public platform::DialogEvents {
 public:
  // Null when the window cannot be made.
  static std::unique_ptr<PlainDialog> Make(platform::Platform& platform, const platform::DialogSpec& spec);

  bool IsOpen() const override { return window_ != nullptr && window_->IsOpen(); }
  void BringToFront() override { if (IsOpen()) window_->ShowActivated(); }

 private:
  PlainDialog() = default;
  std::unique_ptr<platform::Dialog> window_;
};

// The three dialogs' windows: caption and client area in twips.
inline constexpr platform::DialogSpec kPropertiesDialog{L"속성", 4695, 2070};      // Frm_속성
inline constexpr platform::DialogSpec kRevisionDialog{L"기계보정", 5850, 600};     // frmRevision
inline constexpr platform::DialogSpec kAboutDialog{L"S/W 정보", 5385, 2220};       // frmAbout

}  // namespace rc::shell
