#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace rc::platform {

// How a port's line is set up; the program's own line is the reader's
// (reader::kReaderLine).
struct SerialLineSettings {
  std::uint32_t baud = 0;
  char parity = 'n';  // 'n', 'e', 'o', 'm', 's'
  std::uint8_t data_bits = 0;
  std::uint8_t stop_bits = 0;
  bool flow_control = false;
  bool rts = false;  // raised while open
  bool dtr = false;  // raised while open
  std::uint32_t receive_buffer = 0;
  std::uint32_t transmit_buffer = 0;
};

// Which open of the port an event belongs to: each successful Open gets the
// next number. An event queued by an earlier open (its bytes, its loss) still
// arrives after the port was closed and opened again, and must not act on the
// later one.
using SerialOpen = std::uint32_t;

// What an open serial port reports, on the user-interface thread.
class SerialEvents {
 public:
  // Bytes that arrived, read at `received_ms` on the platform clock.
  virtual void OnSerialReceived(SerialOpen open, std::string_view bytes, std::int64_t received_ms) = 0;
  // The port went away (device removed, or dead); it is still open until closed.
  virtual void OnSerialLost(SerialOpen open) = 0;
  // A write of this open is done: ok only when every byte has left.
  virtual void OnSerialWritten(SerialOpen open, Status status) = 0;
  // An open that was under way (Open gave Error::Pending) is done: open, or
  // the failure. An open closed before it was done tells nothing.
  virtual void OnSerialOpened(SerialOpen /*open*/, Status /*status*/) {}

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
  // `events` hears what the port receives and its loss, tagged with `current()`.
  // Never waits on the device: an open that takes time (a Bluetooth port
  // connects inside it) gives Error::Pending, and its outcome comes as
  // OnSerialOpened; meanwhile the port is neither open nor free to open again.
  virtual Status Open(std::wstring_view port_name, SerialEvents& events) = 0;
  // Never waits on the device, and gives up an open under way. Once it has
  // returned nothing of that open touches the device again.
  virtual Status Close() = 0;
  virtual bool IsOpen() const = 0;
  // The number of the last open, done or under way (0: none yet).
  virtual SerialOpen current() const = 0;
  // Whether the open port still answers (a USB adapter may die across sleep
  // without being removed). False when closed.
  virtual bool Responds() = 0;
  // Hands the bytes to the port's own I/O as one write and returns at once, so
  // that the caller never waits on a slow driver. The outcome arrives later as
  // OnSerialWritten: a failed, short or timed-out write is a failure. Writes go
  // out, and are reported, in the order given. Fails at once, with nothing
  // queued, when the port is not open.
  virtual Status Write(std::string_view bytes) = 0;
};

// A serial port the system has now, as it names it.
struct SerialPortInfo {
  std::wstring name;           // "COM5"
  std::wstring friendly_name;  // "USB-SERIAL CH340 (COM5)", or empty
};

class SerialPortList {
 public:
  virtual ~SerialPortList() = default;
  // Every port the system knows, from each of its sources in turn; the same
  // port may come more than once (merged by the caller).
  virtual std::vector<SerialPortInfo> Present() = 0;
};

}  // namespace rc::platform
