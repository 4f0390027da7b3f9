#include "reader/port_watch.h"

#include <optional>

#include "settings/setting_text.h"

namespace rc::reader {

namespace {
// "com5" and "COM5" are one port; a name that is no COM port stays as it is.
std::wstring Normal(std::wstring_view name) { return settings::PortName(name).value_or(std::wstring(name)); }

std::set<std::wstring> Names(std::span<const platform::SerialPortInfo> present) {
  std::set<std::wstring> names;
  for (const platform::SerialPortInfo& port : present) names.insert(Normal(port.name));
  return names;
}
}  // namespace

PortWatch::PortWatch(std::span<const platform::SerialPortInfo> present) : listed_(Names(present)) {}

bool PortWatch::Acts(const PortChange& change, std::int64_t now_ms) {
  const auto last = last_.find(change.name);
  if (last != last_.end() && last->second.arrived == change.arrived && now_ms - last->second.at_ms < kSameChangeMs) {
    return false;
  }
  last_[change.name] = {change.arrived, now_ms};
  return true;
}

std::vector<PortChange> PortWatch::Announced(std::wstring_view name, bool arrived, std::int64_t now_ms) {
  PortChange change{Normal(name), arrived};
  if (!Acts(change, now_ms)) return {};
  return {std::move(change)};
}

std::vector<PortChange> PortWatch::Listed(std::span<const platform::SerialPortInfo> present, std::int64_t now_ms) {
  std::set<std::wstring> now = Names(present);
  std::vector<PortChange> changes;
  for (const std::wstring& name : listed_) {
    if (!now.contains(name)) changes.push_back({name, false});
  }
  for (const std::wstring& name : now) {
    if (!listed_.contains(name)) changes.push_back({name, true});
  }
  listed_ = std::move(now);
  std::erase_if(changes, [&](const PortChange& change) { return !Acts(change, now_ms); });
  return changes;
}

}  // namespace rc::reader
