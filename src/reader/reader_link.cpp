#include "reader/reader_link.h"

#include "reader/reading_conversion.h"

namespace rc::reader {

platform::SerialLineSettings ReaderLineSettings() {
  platform::SerialLineSettings line;
  line.baud = 9600;
  line.parity = 'n';
  line.data_bits = 8;
  line.stop_bits = 1;
  line.flow_control = false;
  line.rts = true;
  line.dtr = true;  // readers commonly wait for DTR before they send
  line.receive_buffer = static_cast<std::uint32_t>(kReceiveBufferBytes);
  line.transmit_buffer = 512;
  return line;
}

ReaderLink::ReaderLink(platform::SerialPort& port, platform::MessageBoxes& messages,
                       const settings::ProgramSettings& settings)
    : port_(port), messages_(messages), settings_(settings) {}

void ReaderLink::ConfigureReaderPort() noexcept {
  try {
    platform::Status status = port_.Configure(ReaderLineSettings());
    if (status.ok() && settings_.ReaderMode == settings::kModeReaderLink) status = OpenPort();
    // One message, and no retry: the user can switch the link on in the
    // correction dialog, or it comes back by itself when the port arrives.
    if (!status.ok()) messages_.ShowMessage(kPortOpenFailed);
  } catch (...) {
  }
}

platform::Status ReaderLink::SwitchPort(bool open) noexcept {
  try {
    if (open) return OpenPort();
    lost_ = false;  // switched off by the user: no reopen on arrival
    if (!port_.IsOpen()) return platform::Status::Ok();
    return port_.Close();
  } catch (...) {
    return platform::Status::Failed(1);
  }
}

void ReaderLink::Close() noexcept {
  try {
    lost_ = false;
    if (port_.IsOpen()) (void)port_.Close();
  } catch (...) {
  }
}

platform::Status ReaderLink::OpenPort() noexcept {
  try {
    // Whatever a previous session left half-received is not part of a new line.
    RxBuffer.Clear();
    const platform::Status status = port_.Open();
    if (status.ok()) lost_ = false;
    return status;
  } catch (...) {
    return platform::Status::Failed(1);
  }
}

void ReaderLink::OnReceived(std::string_view bytes) noexcept {
  try {
    // Bytes read just before a close may still be queued; they are not answered.
    if (!port_.IsOpen()) return;
    std::optional<std::string> line = RxBuffer.Append(bytes);
    if (!line) return;
    std::optional<std::string> reply =
        ConvertReading(*line, LastLine, settings_.CorrectionAngle, settings_.LengthRatio);
    if (reply) (void)port_.Write(*reply);
  } catch (...) {
  }
}

void ReaderLink::OnLost() noexcept {
  try {
    if (!port_.IsOpen()) return;
    (void)port_.Close();
    RxBuffer.Clear();
    lost_ = true;
  } catch (...) {
  }
}

void ReaderLink::OnPortArrived() noexcept {
  if (!lost_ || port_.IsOpen()) return;
  // Quietly: if the port is not usable yet, a later arrival tries again.
  (void)OpenPort();
}

}  // namespace rc::reader
