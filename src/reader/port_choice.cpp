#include "reader/port_choice.h"

#include <algorithm>
#include <optional>

#include "base/ascii.h"
#include "settings/setting_text.h"

namespace rc::reader {

namespace {

int PortNumber(std::wstring_view name) { return std::stoi(std::wstring(name.substr(3))); }

// "USB-SERIAL CH340 (COM5)" -> "USB-SERIAL CH340"; blanks trimmed.
std::wstring DeviceName(std::wstring_view friendly, std::wstring_view port) {
  const std::wstring suffix = L" (" + std::wstring(port) + L")";
  if (friendly.size() >= suffix.size() &&
      EqualIgnoringAsciiCase(friendly.substr(friendly.size() - suffix.size()), suffix)) {
    friendly.remove_suffix(suffix.size());
  }
  const auto first = friendly.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  return std::wstring(friendly.substr(first, friendly.find_last_not_of(L' ') - first + 1));
}

struct Port {
  std::wstring name;
  std::wstring device;
  bool present = true;
};

}  // namespace

PortChoices MakePortChoices(std::span<const platform::SerialPortInfo> present, std::wstring_view in_use,
                            bool in_use_is_open) {
  std::vector<Port> ports;
  for (const platform::SerialPortInfo& info : present) {
    const std::optional<std::wstring> name = settings::PortName(info.name);
    if (!name) continue;
    auto same = std::find_if(ports.begin(), ports.end(), [&](const Port& p) { return p.name == *name; });
    if (same == ports.end()) same = ports.insert(ports.end(), Port{*name, {}});
    if (same->device.empty()) same->device = DeviceName(info.friendly_name, *name);
  }
  const std::wstring used = settings::ReaderPortName(in_use);
  if (std::none_of(ports.begin(), ports.end(), [&](const Port& p) { return p.name == used; })) {
    ports.push_back(Port{used, {}, in_use_is_open});
  }
  std::stable_sort(ports.begin(), ports.end(),
                   [](const Port& a, const Port& b) { return PortNumber(a.name) < PortNumber(b.name); });

  PortChoices result;
  for (const Port& port : ports) {
    std::wstring entry = port.name;
    if (!port.present)
      entry += L" (없음)";
    else if (!port.device.empty())
      entry += L" — " + port.device;
    if (port.name == used) result.selected = static_cast<int>(result.choices.size());
    result.choices.push_back({port.name, std::move(entry)});
  }
  return result;
}

std::wstring OtherPortsText(std::span<const platform::SerialPortInfo> present, std::wstring_view in_use) {
  constexpr int kShown = 3;
  const PortChoices ports = MakePortChoices(present, in_use);
  std::wstring listed;
  int shown = 0;
  for (int i = 0; i < static_cast<int>(ports.choices.size()) && shown < kShown; ++i) {
    if (i == ports.selected) continue;
    listed += (shown++ > 0 ? L", " : L"") + ports.choices[static_cast<std::size_t>(i)].entry;
  }
  if (listed.empty()) return {};
  return L"다른 포트가 있습니다: " + listed + L". 여기를 누르면 기계보정에서 고를 수 있습니다.";
}

}  // namespace rc::reader
