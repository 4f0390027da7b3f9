#include "reader/reader_link.h"

#include <algorithm>
#include <utility>

#include "base/ascii.h"
#include "reader/reading_conversion.h"
#include "settings/setting_text.h"

namespace rc::reader {

std::wstring PortOpenFailedText(std::wstring_view port_name) {
  return std::wstring(port_name) + L" 포트를 열수가 없습니다.";
}

namespace {
LinkStatus FailureStatus(const platform::Status& status) {
  switch (status.error) {
    case platform::Error::PortMissing:
    case platform::Error::DeviceLost:
      return {LinkState::Missing, status.system_code, status.call, {}};
    case platform::Error::Busy:
      return {LinkState::Busy, status.system_code, status.call, {}};
    case platform::Error::Unreachable:
      return {LinkState::Unreachable, status.system_code, status.call, {}};
    default:
      return {LinkState::Failed, status.system_code, status.call, {}};
  }
}
}  // namespace

ReaderLink::ReaderLink(platform::SerialPort& port, platform::Clock& clock, platform::MessageBoxes& messages,
                       const settings::ProgramSettings& settings)
    : port_(port), clock_(clock), messages_(messages), settings_(settings) {}

ReaderLink::~ReaderLink() { StopRetries(); }

void ReaderLink::ConfigureReaderPort() {
  switched_on_ = settings_.ReaderMode == settings::kModeReaderLink;
  platform::Status status = port_.Configure(kReaderLine);
  if (!status.ok()) status_ = FailureStatus(status);
  if (status.ok() && switched_on_) status = OpenPort();
  if (status.error == platform::Error::Pending) {
    // Told when it is done.
    start_up_open_ = true;
    opening_retry_ = kReopenRetryMs.size();
    Changed();
    return;
  }
  // No arrival retries: the link opens by itself when the port arrives, or
  // the user switches it on in the correction dialog; a held port is watched.
  if (!status.ok() && switched_on_) ScheduleRetry(kReopenRetryMs.size());
  Changed();
  if (!status.ok()) StartUpOpenFailed();
}

void ReaderLink::StartUpOpenFailed() {
  messages_.ShowMessage(PortOpenFailedText(PortName()));  // one message
  Tell(&LinkObserver::OnStartUpOpenFailed);
}

platform::Status ReaderLink::SwitchPort(bool open) {
  if (open) {
    const platform::Status status = OpenPort();
    const bool under_way = status.error == platform::Error::Pending;
    if (status.ok() || under_way) switched_on_ = true;
    if (under_way) opening_retry_ = kReopenRetryMs.size();
    Changed();
    return under_way ? platform::Status::Ok() : status;
  }
  if (port_.IsOpen()) {
    const platform::Status status = port_.Close();
    if (!status.ok()) return status;
  }
  ClosePort();  // an open under way is given up
  StopRetries();
  switched_on_ = false;  // no open on arrival either
  Changed();
  return platform::Status::Ok();
}

void ReaderLink::PortChanged() {
  StopRetries();
  ClosePort();
  if (switched_on_) OpenWithRetries(kReopenRetryMs.size());
  Changed();
}

void ReaderLink::Close() {
  StopRetries();
  switched_on_ = false;
  ClosePort();
}

platform::Status ReaderLink::OpenPort() {
  // Already open (the mode button still shows the saved mode), or being
  // opened: the link and its state stay as they are.
  if (port_.IsOpen() || opening_) return platform::Status::Failed(platform::Error::Busy);
  // Whatever a previous session left half-received is not part of a new line.
  rx_buffer_.Clear();
  const platform::Status status = port_.Open(PortName(), *this);
  open_ = port_.current();
  if (status.error == platform::Error::Pending) {
    opening_ = true;
    status_ = {LinkState::Opening, 0, nullptr, {}};
    return status;
  }
  Opened(status);
  return status;
}

void ReaderLink::Opened(const platform::Status& status) {
  opening_ = false;
  if (!status.ok()) {
    status_ = FailureStatus(status);
    return;
  }
  StopRetries();
  opened_ms_ = clock_.NowMs();
  first_bytes_pending_ = true;
  dropping_tail_ = false;
  status_ = {LinkState::Open, 0, nullptr, {}};
}

void ReaderLink::OnSerialOpened(platform::SerialOpen open, platform::Status status) {
  // An open given up (a switch, a removal, the exit) or an earlier one: its
  // port has been closed by the platform.
  if (!opening_ || open != open_) return;
  const bool start_up = std::exchange(start_up_open_, false);
  Opened(status);
  if (!status.ok() && switched_on_) ScheduleRetry(opening_retry_);
  Changed();
  if (!status.ok() && start_up) StartUpOpenFailed();
}

void ReaderLink::ClosePort() {
  if (port_.IsOpen() || opening_) (void)port_.Close();
  opening_ = false;
  start_up_open_ = false;
  rx_buffer_.Clear();
  // What was going out, and what waited for it, went with the open.
  writing_.reset();
  waiting_.clear();
}

void ReaderLink::OpenWithRetries(std::size_t retry) {
  next_retry_.reset();
  if (!switched_on_) return;
  const platform::Status status = OpenPort();
  if (status.ok()) return;
  if (status.error == platform::Error::Pending) {
    opening_retry_ = retry;  // decided by its outcome
    return;
  }
  ScheduleRetry(retry);
}

void ReaderLink::ScheduleRetry(std::size_t retry) {
  std::uint32_t wait = kBusyRetryMs;
  if (retry < kReopenRetryMs.size()) {
    wait = kReopenRetryMs[retry];
  } else if (status_.state != LinkState::Busy && status_.state != LinkState::Unreachable) {
    return;
  }
  next_retry_ = retry;
  const platform::Status started = clock_.StartTimer(platform::kReaderRetryTimer, wait, *this);
  if (started.ok()) return;
  // The retries would be silently undone: the state says so instead.
  next_retry_.reset();
  status_ = {LinkState::Failed, started.system_code, started.call, {}};
}

void ReaderLink::StopRetries() {
  if (!next_retry_) return;
  next_retry_.reset();
  clock_.StopTimer(platform::kReaderRetryTimer);
}

void ReaderLink::OnTimer(int timer) {
  if (timer != platform::kReaderRetryTimer || !next_retry_) return;
  const std::size_t retry = std::min(*next_retry_ + 1, kReopenRetryMs.size());
  next_retry_.reset();
  if (port_.IsOpen() || opening_) return;
  OpenWithRetries(retry);
  Changed();
}

void ReaderLink::OnSerialReceived(platform::SerialOpen open, std::string_view bytes, std::int64_t received_ms) {
  // Bytes of an earlier open, or read just before a close, are not answered.
  if (!port_.IsOpen() || open != open_) return;
  if (first_bytes_pending_) {
    // A line feed alone ends a line that was complete before the open.
    if (bytes.find_first_not_of('\n') == std::string_view::npos) return;
    first_bytes_pending_ = false;
    dropping_tail_ = received_ms - opened_ms_ < kTailGuardMs;
  }
  if (dropping_tail_) {
    const std::size_t cr = bytes.find('\r');
    if (cr == std::string_view::npos) return;
    dropping_tail_ = false;
    bytes.remove_prefix(cr + 1);
    if (bytes.empty()) return;
  }
  std::optional<std::string> line = rx_buffer_.Append(bytes);
  if (line) Take(std::move(*line));
}

void ReaderLink::Take(std::string line) {
  if (!writing_) return Answer(std::move(line));
  // Judged once the reply before it has left: whether it repeats the last line
  // answered depends on that reply.
  if (waiting_.size() == kWaitingLines) waiting_.pop_front();
  waiting_.push_back(std::move(line));
}

void ReaderLink::Answer(std::string line) {
  ReceivedLine received;
  received.line = line;
  // The line counts as answered only once its whole reply has left: after a
  // failed or short write the reader's resend of the same line is answered.
  std::string answered = last_line_;
  Conversion conversion = ConvertReading(line, answered, settings_.CorrectionAngle, settings_.LengthRatio);
  if (!conversion.reply) {
    received.reason = conversion.reason;
    return Record(std::move(received));
  }
  received.reply = *conversion.reply;
  const platform::Status queued = port_.Write(received.reply);
  if (!queued.ok()) {
    received.fate = ReceivedLine::Fate::NotSent;
    received.system_code = queued.system_code;
    return Record(std::move(received));
  }
  writing_ = Reply{std::move(received), std::move(answered)};
}

void ReaderLink::OnSerialWritten(platform::SerialOpen open, platform::Status status) {
  if (!port_.IsOpen() || open != open_ || !writing_) return;
  Reply reply = std::move(*writing_);
  writing_.reset();
  if (status.ok()) {
    last_line_ = std::move(reply.answered);
    reply.received.fate = ReceivedLine::Fate::Answered;
  } else {
    reply.received.fate = ReceivedLine::Fate::NotSent;
    reply.received.system_code = status.system_code;
  }
  Record(std::move(reply.received));
  while (!writing_ && !waiting_.empty()) {
    std::string next = std::move(waiting_.front());
    waiting_.pop_front();
    Answer(std::move(next));
  }
}

void ReaderLink::Record(ReceivedLine received) {
  last_received_ = std::move(received);
  status_.last_line_time = clock_.Local();
  Changed();
}

void ReaderLink::OnSerialLost(platform::SerialOpen open) {
  if (!port_.IsOpen() || open != open_) return;
  ClosePort();
  status_ = {LinkState::Missing, 0, nullptr, {}};
  Changed();
}

// The observers hear of the ports after the link has acted on them, so that a
// list of ports made then shows the link's port open or closed as it now is.
void ReaderLink::OnPortArrived(std::wstring_view port_name) {
  const bool ours = IsReaderPort(port_name);
  // A second notice of the port the link has open and answering (the system
  // tells of one arrival more than one way) changes nothing: a reply going out
  // and a reading coming in are kept. An open under way takes the port as it is.
  if (ours && !opening_ && !(port_.IsOpen() && port_.Responds())) {
    // A port held open that no longer answers is the device that went away,
    // its loss not yet reported. It is closed first.
    ClosePort();
    // Quietly: a port that is not usable yet is tried again for a few seconds.
    OpenWithRetries(0);
  }
  Tell(&LinkObserver::OnPortsChanged);
  if (ours) Changed();
}

void ReaderLink::OnPortRemoved(std::wstring_view port_name) {
  const bool ours = IsReaderPort(port_name);
  if (ours) {
    StopRetries();
    ClosePort();
    status_ = {LinkState::Missing, 0, nullptr, {}};
  }
  Tell(&LinkObserver::OnPortsChanged);
  if (ours) Changed();
}

void ReaderLink::OnSystemResumed() {
  if (!switched_on_ || opening_) return;
  if (port_.IsOpen() && port_.Responds()) return;
  ClosePort();
  OpenWithRetries(0);
  Changed();
}

std::wstring ReaderLink::PortName() const { return settings::ReaderPortName(settings_.ReaderPort); }

bool ReaderLink::IsReaderPort(std::wstring_view port_name) const {
  return switched_on_ && EqualIgnoringAsciiCase(port_name, PortName());
}

LinkStatus ReaderLink::status() const { return switched_on_ ? status_ : LinkStatus{}; }

std::wstring ReaderLink::StatusLine() const {
  const LinkStatus current = status();
  const std::wstring system_text =
      current.state == LinkState::Failed ? messages_.ReasonText(current.system_code, current.call) : std::wstring();
  return StatusText(PortName(), current, system_text);
}

std::wstring ReaderLink::LastReceivedText() const {
  if (!last_received_) return {};
  const std::wstring system_text = last_received_->fate == ReceivedLine::Fate::NotSent
                                       ? messages_.ErrorText(last_received_->system_code)
                                       : std::wstring();
  return ReceivedText(*last_received_, system_text);
}

void ReaderLink::AddObserver(LinkObserver& observer) { observers_.push_back(&observer); }

void ReaderLink::RemoveObserver(LinkObserver& observer) { std::erase(observers_, &observer); }

void ReaderLink::Changed() { Tell(&LinkObserver::OnLinkChanged); }

void ReaderLink::Tell(void (LinkObserver::*event)()) {
  // A copy: an observer may remove itself.
  const std::vector<LinkObserver*> observers = observers_;
  for (LinkObserver* observer : observers) (observer->*event)();
}

}  // namespace rc::reader
