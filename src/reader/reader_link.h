#pragma once
// The answering link to the coordinate reader (`MSComm2`), on COM2 unless the
// store names another port: configures and opens the port, assembles the
// received bytes into lines (`RxBuffer`), converts each line (`ConvertReading`,
// `LastLine`) and writes the reply. Runs on the user-interface thread only; it
// hears the port's events itself.

#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "platform/serial_port.h"
#include "reader/line_assembly.h"
#include "settings/program_settings.h"

namespace rc::reader {

// "COM2 포트를 열수가 없습니다." for the port of that name.
std::wstring PortOpenFailedText(std::wstring_view port_name);

// The line the reader speaks: 9600 baud, no parity, 8 data bits, 1 stop bit,
// no flow control, RTS and DTR raised while open.
platform::SerialLineSettings ReaderLineSettings();

class ReaderLink final : public platform::SerialEvents {
 public:
  // `settings` are read at each event, so changes made by the correction
  // dialog apply to the next reading.
  ReaderLink(platform::SerialPort& port, platform::MessageBoxes& messages,
             const settings::ProgramSettings& settings);

  // The last start-up step: sets the line and, in the mode "지적통합" only,
  // opens the port. Any failure is shown once and the program runs on without
  // the link until the port arrives or the user switches it on.
  void ConfigureReaderPort();

  // The correction dialog's mode switch: opens (true) or closes (false) the
  // port at once. Opening a port that is already open fails. Closing a port
  // that is not open succeeds, since the state asked for already holds (the
  // port failed at start or was lost); the user can then switch it on again.
  // Shows nothing: the caller owns the message.
  platform::Status SwitchPort(bool open);

  // The start-up window unloads: close, ignoring any error.
  void Close();

  // The port's events.
  void OnSerialReceived(std::string_view bytes) override;
  // The open port went away (device removed): it is closed quietly.
  void OnSerialLost() override;
  // A serial port of that name arrived (plugged in): when it is the reader's
  // and the link is switched on, it is opened without a word, whether the open
  // failed at start-up, the port was lost, or its loss is still unreported.
  void OnSerialPortArrived(std::wstring_view port_name) override;

  bool IsOpen() const { return port_.IsOpen(); }

 private:
  platform::Status OpenPort();
  std::wstring PortName() const;

  platform::SerialPort& port_;
  platform::MessageBoxes& messages_;
  const settings::ProgramSettings& settings_;
  LineAssembler rx_buffer_;  // RxBuffer
  std::string last_line_;    // LastLine: the last line answered
  // The link is switched on: in the mode "지적통합" at start-up, then as the
  // correction dialog's switch last set it. Off once the program unloads.
  bool switched_on_ = false;
};

}  // namespace rc::reader
