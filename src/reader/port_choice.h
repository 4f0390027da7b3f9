#pragma once
// The entries of the port chooser: the serial ports the system has now, merged
// by name and sorted by number, with the port in use always among them.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"

namespace rc::reader {

struct PortChoice {
  std::wstring name;   // "COM5"
  std::wstring entry;  // "COM5 — USB-SERIAL CH340", "COM5", "COM2 (없음)"
};

struct PortChoices {
  std::vector<PortChoice> choices;
  int selected = -1;  // the port in use
};

// `present` is every port the system reported, from all its sources in turn:
// the same port may come several times, in any letter case; the first friendly
// name wins. Names that are not COM1 to COM256 cannot be the reader's port and
// are left out. A friendly name loses its own " (COM5)" at the end. The port in
// use is marked "(없음)" when the system does not list it, unless the link
// holds it open (some ports open that the system's lists miss).
PortChoices MakePortChoices(std::span<const platform::SerialPortInfo> present, std::wstring_view in_use,
                            bool in_use_is_open = false);

// The start-up note when the port in use would not open: "다른 포트가 있습니다:
// COM5 — USB-SERIAL CH340. 여기를 누르면 기계보정에서 고를 수 있습니다.", with the
// other ports present as the chooser lists them, at most three, joined by ", ";
// empty when there is no other port.
std::wstring OtherPortsText(std::span<const platform::SerialPortInfo> present, std::wstring_view in_use);

}  // namespace rc::reader
