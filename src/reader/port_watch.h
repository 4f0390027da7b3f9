#pragma once
// Serial ports coming and going, heard two ways: the port's own broadcast,
// which names it but which not every driver sends (virtual and some USB
// adapters announce only their device interface), and the COM-port device
// interface's notice, which every driver gives but which names nothing, so the
// port list is read again and compared with the last one. One plug or pull may
// come both ways, in either order: it acts once.

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"

namespace rc::reader {

// Both notices of one plug or pull come within this time of each other.
inline constexpr std::int64_t kSameChangeMs = 2000;

struct PortChange {
  std::wstring name;  // "COM5"
  bool arrived = true;
};

class PortWatch {
 public:
  // `present`: the ports the system lists at start-up.
  explicit PortWatch(std::span<const platform::SerialPortInfo> present);

  // A broadcast: the change, unless the other way already told it.
  std::vector<PortChange> Announced(std::wstring_view name, bool arrived, std::int64_t now_ms);
  // A device-interface notice, with the ports the system lists now: the names
  // that came and went, less what the other way already told.
  std::vector<PortChange> Listed(std::span<const platform::SerialPortInfo> present, std::int64_t now_ms);

 private:
  bool Acts(const PortChange& change, std::int64_t now_ms);

  std::set<std::wstring> listed_;
  struct Last {
    bool arrived;
    std::int64_t at_ms;
  };
  std::map<std::wstring, Last> last_;  // per port, the change acted on last
};

}  // namespace rc::reader
