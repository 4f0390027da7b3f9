#include "platform/win32/win32_serial_port.h"

#include <windows.h>

namespace rc::win32 {

namespace {

// Until the port is wired up: every operation reports that it is not there.
class UnavailablePort final : public platform::SerialPort {
 public:
  platform::Status Configure(const platform::SerialLineSettings&) override { return platform::Status::Ok(); }
  platform::Status Open() override { return platform::Status::Failed(ERROR_FILE_NOT_FOUND); }
  platform::Status Close() override { return platform::Status::Failed(ERROR_INVALID_HANDLE); }
  bool IsOpen() const override { return false; }
  platform::Status Write(std::string_view) override { return platform::Status::Failed(ERROR_INVALID_HANDLE); }
};

}  // namespace

std::unique_ptr<platform::SerialPort> MakeReaderPort(Win32Platform&) { return std::make_unique<UnavailablePort>(); }

}  // namespace rc::win32
