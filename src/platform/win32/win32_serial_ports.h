#pragma once
// The serial ports the system has now, from every place that names them: the
// device manager's Ports class (with the devices' friendly names), the
// registry's SERIALCOMM map (virtual ports the device list misses), and the
// COMn device names defined now (where neither says anything, as under Wine,
// whose ports are its dosdevices links).

#include "platform/serial_port.h"

namespace rc::win32 {

class Win32SerialPortList final : public platform::SerialPortList {
 public:
  std::vector<platform::SerialPortInfo> Present() override;
};

}  // namespace rc::win32
