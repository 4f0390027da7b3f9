#include "shell/tray_icon.h"

#include <algorithm>
#include <utility>

#include "platform/message_box.h"

namespace rc::shell {

platform::TrayIconRecord MakeTrayIconRecord(std::wstring_view tip) {
  platform::TrayIconRecord record;
  record.id = kTrayIconId;
  // Room for the terminator; the rest of the field stays zero.
  std::size_t length = std::min(tip.size(), record.tip.size() - 1);
  std::copy_n(tip.begin(), length, record.tip.begin());
  record.tip[length] = L'\0';
  return record;
}

TrayAction TrayCallback::Decide(std::uint32_t code) {
  const bool after_right_release = std::exchange(after_right_release_, code == tray_code::kRightButtonUp);
  switch (code) {
    case tray_code::kRightButtonUp:
      return TrayAction::MenuAtPointer;
    case tray_code::kContextMenu:
      return after_right_release ? TrayAction::None : TrayAction::MenuAtAnchor;
    case tray_code::kLeftDoubleClick:
    case tray_code::kKeySelect:
      return TrayAction::ShowHandle;
    case tray_code::kNotificationClicked:
      return TrayAction::NotificationClicked;
    default:
      return TrayAction::None;
  }
}

std::wstring TrayTip(std::wstring_view status_line) {
  std::wstring tip(platform::kApplicationTitle);
  if (!status_line.empty()) tip += L"\n" + std::wstring(status_line);
  return tip;
}

TrayIcon::~TrayIcon() {
  if (retry_pending_) clock_.StopTimer(platform::kTrayRetryTimer);
}

void TrayIcon::Add(platform::ShellWindow& window, std::wstring tip) {
  window_ = &window;
  tip_ = std::move(tip);
  TryToAdd(0);
}

void TrayIcon::OnTaskbarCreated() {
  if (window_ == nullptr) return;
  // The shell that held the icon is gone: a new one has none. Every tray
  // program adds its icon at this moment, so a refusal now is likely: the
  // whole schedule again.
  added_ = false;
  if (retry_pending_) clock_.StopTimer(platform::kTrayRetryTimer);
  retry_pending_ = false;
  TryToAdd(0);
}

void TrayIcon::OnTimer(int timer) {
  if (timer != platform::kTrayRetryTimer || !retry_pending_) return;
  retry_pending_ = false;
  TryToAdd(next_retry_);
}

void TrayIcon::TryToAdd(std::size_t retry) {
  if (added_) return;
  record_ = MakeTrayIconRecord(tip_);
  added_ = window_->AddTrayIcon(record_).ok();
  if (added_) {
    if (retry_pending_) clock_.StopTimer(platform::kTrayRetryTimer);
    retry_pending_ = false;
    ShowPending();
    return;
  }
  if (retry_pending_ || retry >= kTrayRetryMs.size()) return;
  next_retry_ = retry + 1;
  retry_pending_ = clock_.StartTimer(platform::kTrayRetryTimer, kTrayRetryMs[retry], *this).ok();
}

void TrayIcon::SetTip(std::wstring tip) {
  if (tip == tip_) return;
  tip_ = std::move(tip);
  if (!added_) return;
  record_ = MakeTrayIconRecord(tip_);
  (void)window_->ModifyTrayIcon(record_);
}

void TrayIcon::Notify(TrayNotice notice, std::wstring_view text) {
  pending_ = notice;
  pending_text_ = text;
  if (added_) ShowPending();
}

void TrayIcon::ShowPending() {
  if (pending_ == TrayNotice::None) return;
  if (window_->ShowTrayNotification(record_, {platform::kApplicationTitle, pending_text_}).ok()) shown_ = pending_;
  pending_ = TrayNotice::None;
}

std::optional<platform::PixelPoint> TrayIcon::Corner() const {
  return window_ != nullptr ? window_->TrayIconCorner(record_) : std::nullopt;
}

void TrayIcon::Delete() {
  if (window_ == nullptr) return;
  record_.id = kTrayIconId;
  (void)window_->DeleteTrayIcon(record_);
}

}  // namespace rc::shell
