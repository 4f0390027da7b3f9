#pragma once
#include <cstdint>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

struct SerialLineSettings {
  std::uint32_t baud = 9600;
  char parity = 'n';  // 'n', 'e', 'o', 'm', 's'
  std::uint8_t data_bits = 8;
  std::uint8_t stop_bits = 1;
  bool flow_control = false;
  bool rts = true;  // raised while open
  bool dtr = true;  // raised while open
  std::uint32_t receive_buffer = 1024;
  std::uint32_t transmit_buffer = 512;
};

// What a serial port reports, on the user-interface thread.
class SerialEvents {
 public:
  virtual void OnSerialReceived(std::string_view /*bytes*/) {}
  // The open port went away (device removed); it is still open until closed.
  virtual void OnSerialLost() {}
  // A serial port of that name ("COM2") arrived (plugged in).
  virtual void OnSerialPortArrived(std::wstring_view /*port_name*/) {}

 protected:
  ~SerialEvents() = default;
};

// The reader's serial port.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Takes effect now when open, else at the next Open.
  virtual Status Configure(const SerialLineSettings& settings) = 0;
  // Opens the port of that name ("COM2", "COM12"); exclusive. From then on
  // `events` hears what the port receives, its loss, and the arrival of serial
  // ports (also after a failed open, so that the port can be tried again).
  virtual Status Open(std::wstring_view port_name, SerialEvents& events) = 0;
  virtual Status Close() = 0;
  virtual bool IsOpen() const = 0;
  // Sends the bytes as one write. Succeeds only when every byte has left;
  // a failed, short or timed-out write is a failure.
  virtual Status Write(std::string_view bytes) = 0;
};

}  // namespace rc::platform
