#include "reader/reader_link.h"

#include "reader/reading_conversion.h"
#include "settings/setting_text.h"

namespace rc::reader {

namespace {
// Port names compare without regard to letter case, as the system does ("com2").
bool SamePortName(std::wstring_view a, std::wstring_view b) {
  auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}
}  // namespace

std::wstring PortOpenFailedText(std::wstring_view port_name) {
  return std::wstring(port_name) + L" 포트를 열수가 없습니다.";
}

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

void ReaderLink::ConfigureReaderPort() {
  switched_on_ = settings_.ReaderMode == settings::kModeReaderLink;
  platform::Status status = port_.Configure(ReaderLineSettings());
  if (status.ok() && switched_on_) status = OpenPort();
  // One message, and no retry: the link opens by itself when the port
  // arrives, or the user switches it on in the correction dialog.
  if (!status.ok()) messages_.ShowMessage(PortOpenFailedText(PortName()));
}

platform::Status ReaderLink::SwitchPort(bool open) {
  if (open) {
    const platform::Status status = OpenPort();
    if (status.ok()) switched_on_ = true;
    return status;
  }
  if (port_.IsOpen()) {
    const platform::Status status = port_.Close();
    if (!status.ok()) return status;
  }
  switched_on_ = false;  // no open on arrival either
  return platform::Status::Ok();
}

void ReaderLink::Close() {
  switched_on_ = false;
  if (port_.IsOpen()) (void)port_.Close();
}

platform::Status ReaderLink::OpenPort() {
  // Whatever a previous session left half-received is not part of a new line.
  rx_buffer_.Clear();
  return port_.Open(PortName(), *this);
}

void ReaderLink::OnSerialReceived(std::string_view bytes) {
  // Bytes read just before a close may still be queued; they are not answered.
  if (!port_.IsOpen()) return;
  std::optional<std::string> line = rx_buffer_.Append(bytes);
  if (!line) return;
  // The line counts as answered only once its whole reply has left: after a
  // failed or short write the reader's resend of the same line is answered.
  std::string answered = last_line_;
  std::optional<std::string> reply =
      ConvertReading(*line, answered, settings_.CorrectionAngle, settings_.LengthRatio);
  if (reply && port_.Write(*reply).ok()) last_line_ = std::move(answered);
}

void ReaderLink::OnSerialLost() {
  if (!port_.IsOpen()) return;
  (void)port_.Close();
  rx_buffer_.Clear();
}

void ReaderLink::OnSerialPortArrived(std::wstring_view port_name) {
  if (!switched_on_ || !SamePortName(port_name, PortName())) return;
  // A port that arrives was not there before: one still held open is the
  // device that went away, its loss not yet reported. It is closed first.
  if (port_.IsOpen()) (void)port_.Close();
  // Quietly: if the port is not usable yet, a later arrival tries again.
  (void)OpenPort();
}

std::wstring ReaderLink::PortName() const { return settings::ReaderPortName(settings_.ReaderPort); }

}  // namespace rc::reader
