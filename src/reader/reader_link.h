#pragma once
// The answering link to the coordinate reader, on COM2 unless the store names
// another port: configures and opens the port, assembles the received bytes
// into lines, converts each line (ConvertReading) and writes the reply. It
// keeps itself connected: a port that arrives is opened (tried again for a few
// seconds while its driver gets ready), a port that is removed is closed, and
// after the system resumes a port that died in its sleep is opened afresh.
// Runs on the user-interface thread only.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "reader/line_assembly.h"
#include "reader/link_status.h"
#include "settings/program_settings.h"

namespace rc::reader {

// "COM2 포트를 열수가 없습니다." for the port of that name.
std::wstring PortOpenFailedText(std::wstring_view port_name);

// The line the reader speaks, stated here alone: 9600 baud, no parity, 8 data
// bits, 1 stop bit, no flow control, RTS and DTR raised while open (readers
// commonly wait for DTR before they send).
inline constexpr platform::SerialLineSettings kReaderLine{
    9600, 'n', 8, 1, false, true, true, static_cast<std::uint32_t>(kReceiveBufferBytes), 512};

// After an arrival (or a resume) a port that cannot be opened yet is tried
// again after each of these waits, about three seconds in all, then left until
// it arrives again.
inline constexpr std::array<std::uint32_t, 4> kReopenRetryMs = {250, 500, 750, 1500};
// A port that another program holds, or whose device does not answer now (a
// Bluetooth reader switched off or out of range), is tried again this often
// while the link is switched on: either may change at any time, unannounced.
inline constexpr std::uint32_t kBusyRetryMs = 5000;
// Lines completed while a reply is still going out wait for it, in order, up to
// this many; a reader sends one line per reading, so more is noise.
inline constexpr std::size_t kWaitingLines = 16;

// Bytes that arrive this soon after an open, up to the next CR, are the rest of
// a reading whose beginning came while the port was closed: a reading answered
// from its tail would be a wrong coordinate taken as good. They are dropped; the
// reader resends a reading that got no reply. A reading at the wire's pace (9600
// baud) takes about 20 ms, so a tail always comes well within this time.
inline constexpr std::int64_t kTailGuardMs = 500;

// Hears what changes in the link: its state, the last line, the port in use;
// and the arrival or removal of any serial port.
class LinkObserver {
 public:
  virtual void OnLinkChanged() = 0;
  virtual void OnPortsChanged() {}
  // The start-up's open failed, and its message has been dismissed.
  virtual void OnStartUpOpenFailed() {}

 protected:
  ~LinkObserver() = default;
};

class ReaderLink final : public platform::SerialEvents, public platform::TimerEvents {
 public:
  // `settings` are read at each event, so changes made by the correction
  // dialog apply to the next reading.
  ReaderLink(platform::SerialPort& port, platform::Clock& clock, platform::MessageBoxes& messages,
             const settings::ProgramSettings& settings);
  ~ReaderLink();

  // The last start-up step: sets the line and, in the mode "지적통합" only,
  // opens the port. Any failure, also of an open that finishes later, is shown
  // once and the program runs on without the link until the port arrives or
  // the user switches it on.
  void ConfigureReaderPort();

  // The correction dialog's mode switch: opens (true) or closes (false) the
  // port at once. Opening a port that is already open, or being opened, fails;
  // an open that goes on is a switch made, its outcome shown in the state.
  // Closing a port that is not open succeeds, since the state asked for
  // already holds (the port failed at start or was lost); the user can then
  // switch it on again. Shows nothing: the caller owns the message.
  platform::Status SwitchPort(bool open);

  // The port in use (the settings' ReaderPort) was changed: the port held is
  // closed and, when the link is switched on, the new one opened. A failure
  // shows in the state only.
  void PortChanged();

  // The start-up window unloads: close, ignoring any error.
  void Close();

  // The system's notices about serial ports and power.
  // A port of that name arrived (plugged in): when it is the reader's and the
  // link is switched on, it is opened without a word, whether the open failed
  // at start-up, the port was lost, or its loss is still unreported (the open
  // handle no longer answers). A port open and answering stays as it is.
  void OnPortArrived(std::wstring_view port_name);
  // The reader's port was removed: closed at once.
  void OnPortRemoved(std::wstring_view port_name);
  // The system woke up: a port that is gone or no longer answers is opened afresh.
  void OnSystemResumed();

  // The port's and the clock's events.
  void OnSerialReceived(platform::SerialOpen open, std::string_view bytes, std::int64_t received_ms) override;
  void OnSerialLost(platform::SerialOpen open) override;
  // A line counts as answered only once its whole reply has left.
  void OnSerialWritten(platform::SerialOpen open, platform::Status status) override;
  void OnSerialOpened(platform::SerialOpen open, platform::Status status) override;
  void OnTimer(int timer) override;

  bool IsOpen() const { return port_.IsOpen(); }
  std::wstring PortName() const;
  // What the user sees: the state line, and the last line received (empty
  // before the first).
  LinkStatus status() const;
  std::wstring StatusLine() const;
  std::wstring LastReceivedText() const;

  // Observers are told of every change until removed.
  void AddObserver(LinkObserver& observer);
  void RemoveObserver(LinkObserver& observer);

 private:
  // Opens now, or starts an open that finishes later (Error::Pending).
  platform::Status OpenPort();
  // The outcome of an open, at once or later.
  void Opened(const platform::Status& status);
  // Closes the port, or gives up the open under way.
  void ClosePort();
  // The start-up's open failed: its one message, then the observers hear of it.
  void StartUpOpenFailed();
  // Opens now; on failure tries again (ScheduleRetry).
  void OpenWithRetries(std::size_t retry);
  // The next try after a failed open: the wait of kReopenRetryMs at `retry`;
  // past the last, kBusyRetryMs while another program holds the port or its
  // device does not answer, else none.
  void ScheduleRetry(std::size_t retry);
  void StopRetries();
  // The link is switched on and `port_name` is its port, in any letter case.
  bool IsReaderPort(std::wstring_view port_name) const;
  // A complete line: answered now, or after the reply that is going out.
  void Take(std::string line);
  void Answer(std::string line);
  void Record(ReceivedLine received);
  void Changed();
  // Each observer hears `event`.
  void Tell(void (LinkObserver::*event)());

  platform::SerialPort& port_;
  platform::Clock& clock_;
  platform::MessageBoxes& messages_;
  const settings::ProgramSettings& settings_;
  LineAssembler rx_buffer_;  // the bytes received since the last line
  std::string last_line_;    // the last line answered, as converted
  // The link is switched on: in the mode "지적통합" at start-up, then as the
  // correction dialog's switch last set it. Off once the program unloads.
  bool switched_on_ = false;
  platform::SerialOpen open_ = 0;  // the open whose events count
  bool opening_ = false;           // that open is under way
  // For the open under way: the retry its failure schedules, and whether it is
  // the start-up's, whose failure is shown.
  std::size_t opening_retry_ = kReopenRetryMs.size();
  bool start_up_open_ = false;
  std::int64_t opened_ms_ = 0;
  bool first_bytes_pending_ = false;       // nothing has arrived since the open
  bool dropping_tail_ = false;             // skipping a reading's tail up to its CR
  std::optional<std::size_t> next_retry_;  // the pending retry's index in kReopenRetryMs (its size: busy)
  // The reply going out, with its line and what becomes the last line answered
  // once it has left; and the lines completed meanwhile.
  struct Reply {
    ReceivedLine received;
    std::string answered;
  };
  std::optional<Reply> writing_;
  std::deque<std::string> waiting_;
  LinkStatus status_;
  std::optional<ReceivedLine> last_received_;
  std::vector<LinkObserver*> observers_;
};

}  // namespace rc::reader
