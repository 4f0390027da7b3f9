#include "platform/win32/win32_serial_ports.h"

#include <windows.h>
// initguid.h first: it makes devguid.h define the GUIDs it names.
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <string>
#include <vector>

#include "base/ascii.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry_text.h"

namespace rc::win32 {

namespace {

struct DeviceInfoSetTraits {
  static HDEVINFO Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HDEVINFO h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using OwnedDeviceInfoSet = Owned<HDEVINFO, DeviceInfoSetTraits>;

// Present devices of the Ports class: each one's "PortName" and friendly name.
void AddDeviceManagerPorts(std::vector<platform::SerialPortInfo>& ports) {
  OwnedDeviceInfoSet devices(::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
  if (!devices) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices.get(), index, &device); ++index) {
    HKEY raw = ::SetupDiOpenDevRegKey(devices.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (raw == INVALID_HANDLE_VALUE) continue;
    OwnedKey key(raw);
    std::wstring name = ReadRegistryText(key.get(), L"PortName").value_or(L"");
    if (name.empty()) continue;
    wchar_t friendly[256] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(devices.get(), &device, SPDRP_FRIENDLYNAME, &type,
                                             reinterpret_cast<BYTE*>(friendly), sizeof friendly - sizeof(wchar_t),
                                             nullptr) ||
        type != REG_SZ) {
      friendly[0] = L'\0';
    }
    ports.push_back({std::move(name), friendly});
  }
}

// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: device -> "COMn".
void AddSerialCommPorts(std::vector<platform::SerialPortInfo>& ports) {
  const OwnedKey key = OpenKey(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", KEY_QUERY_VALUE);
  if (!key) return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = static_cast<DWORD>(std::size(name));
    wchar_t value[64] = {};
    DWORD value_bytes = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status = ::RegEnumValueW(key.get(), index, name, &name_length, nullptr, &type,
                                           reinterpret_cast<BYTE*>(value), &value_bytes);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    ports.push_back({value, {}});
  }
}

// Every "COMn" the system defines as a device name now.
void AddDefinedPortNames(std::vector<platform::SerialPortInfo>& ports) {
  std::vector<wchar_t> names(16384);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = ::QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
    if (length != 0) break;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    names.assign(names.size() * 4, L'\0');
  }
  for (const wchar_t* name = names.data(); *name != L'\0'; name += std::wcslen(name) + 1) {
    if (!EqualIgnoringAsciiCase(std::wstring_view(name).substr(0, 3), L"COM")) continue;
    // A name whose target is gone (a link to nothing) is no port.
    wchar_t target[1024];
    if (::QueryDosDeviceW(name, target, static_cast<DWORD>(std::size(target))) == 0) continue;
    ports.push_back({name, {}});
  }
}

}  // namespace

std::vector<platform::SerialPortInfo> Win32SerialPortList::Present() {
  std::vector<platform::SerialPortInfo> ports;
  AddDeviceManagerPorts(ports);
  AddSerialCommPorts(ports);
  AddDefinedPortNames(ports);
  return ports;
}

}  // namespace rc::win32
