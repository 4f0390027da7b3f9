// Entry point of the end-to-end test program (run by harness.sh under Wine).
#include <fcntl.h>
#include <io.h>

#include "e2e_support.h"

int main(int argc, char** argv) {
  // Plain "\n" line ends and UTF-8 bytes unchanged on the way to the harness's log.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Wine draws the caption bars of the programs started from here: the virtual
  // display has no window manager.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Decorated", REG_SZ, L"N", sizeof L"N");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
