// Entry point of the end-to-end test program (run by harness.sh under Wine).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "e2e_support.h"

int main(int argc, char** argv) {
  // Plain "\n" line ends and UTF-8 bytes unchanged on the way to the harness's log.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  testing::InitGoogleTest(&argc, argv);
  std::printf("Reticor2 under test: %s\n", e2e::Utf8(e2e::AppPath()).c_str());
  if (!e2e::HarnessAvailable())
    std::printf("No harness: screenshots, input and pixel requests will fail.\n");
  std::fflush(stdout);
  return RUN_ALL_TESTS();
}
