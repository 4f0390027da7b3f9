#!/usr/bin/env bash
# Runs the installer's end-to-end test under Wine in a fresh prefix (harness.sh):
#   tests/install/run.sh [gtest args...]
# Needs scripts/package (the installer) and the win64 build (the test program).
# Under Wine the 64-bit build of the installer script runs; the release installer
# is the same script built for x86.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$(head -n1 "$root/VERSION")
setup="$root/build/package/Reticor2-$version-setup-amd64.exe"
tests="$root/build/win64/tests/install/reticor2_install_test.exe"
[ -f "$setup" ] || { echo "install test: no $setup (run scripts/package)" >&2; exit 2; }
[ -f "$tests" ] || { echo "install test: no $tests (build the win64 preset)" >&2; exit 2; }
# Wine sees the Unix file system as drive Z:.
RETICOR_INSTALL_SETUP="Z:${setup//\//\\}" RETICOR_INSTALL_VERSION="$version" \
  bash "$root/tests/e2e/harness.sh" --app "$root/build/package/win64/Reticor2.exe" --tests "$tests" \
    --screenshots "$root/build/win64/install-screenshots" -- "$@"
