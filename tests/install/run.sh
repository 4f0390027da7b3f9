#!/usr/bin/env bash
# Runs the installer's end-to-end tests under Wine, each in a fresh prefix (harness.sh):
#   tests/install/run.sh [gtest args...]
# Needs scripts/package (the installers) and the win64 build (the test program);
# where this machine runs 32-bit x86 programs, also the win32 build.
#
# 1. The installer script built as a 64-bit program, in a 64-bit prefix: install,
#    the installed program, a second start, an upgrade over the running program,
#    uninstall (InstallTest).
# 2. The release installer itself (x86 code, dist/), where 32-bit x86 programs
#    run: silently in a 64-bit prefix, where it installs the 64-bit program, and
#    in a 32-bit one (WINEARCH=win32), where it installs the 32-bit program; each
#    draws its cross, answers a reading and is uninstalled (ReleaseInstaller).
#    Elsewhere it prints NOT RUN.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/lib/deps.sh
source "$root/scripts/lib/deps.sh"
version=$(head -n1 "$root/VERSION")
setup="$root/build/package/Reticor2-$version-setup-amd64.exe"
release="$root/dist/Reticor2-$version-setup.exe"
tests="$root/build/win64/tests/install/reticor2_install_test.exe"
tests32="$root/build/win32/tests/install/reticor2_install_test.exe"
[ -f "$setup" ] || { echo "install test: no $setup (run scripts/package)" >&2; exit 2; }
[ -f "$release" ] || { echo "install test: no $release (run scripts/package)" >&2; exit 2; }
[ -f "$tests" ] || { echo "install test: no $tests (build the win64 preset)" >&2; exit 2; }

windows_path() { echo "Z:${1//\//\\}"; }  # Wine sees the Unix file system as drive Z:

# harness.sh with the installer under test; the rest of the arguments go to it.
run_installer_test() {  # setup.exe machine tests.exe arch program screenshots filter [gtest args...]
  local exe=$1 machine=$2 test_program=$3 arch=$4 program=$5 shots=$6 filter=$7
  shift 7
  RETICOR_INSTALL_SETUP=$(windows_path "$exe") RETICOR_RELEASE_SETUP=$(windows_path "$release") \
    RETICOR_INSTALL_MACHINE=$machine RETICOR_INSTALL_VERSION="$version" \
    bash "$root/tests/e2e/harness.sh" --arch "$arch" --app "$program" --tests "$test_program" \
      --screenshots "$shots" -- --gtest_filter="$filter" "$@"
}

echo "== the installer script as a 64-bit program, 64-bit Windows"
run_installer_test "$setup" x64 "$tests" win64 "$root/build/package/win64/Reticor2.exe" \
  "$root/build/win64/install-screenshots" 'InstallTest.*' "$@"

if reticor_can_run_i386; then
  [ -f "$tests32" ] || { echo "install test: no $tests32 (build the win32 preset)" >&2; exit 2; }
  echo "== the release installer (x86), 64-bit Windows"
  run_installer_test "$release" x64 "$tests" win64 "$root/build/package/win64/Reticor2.exe" \
    "$root/build/win64/install-screenshots-release" 'ReleaseInstaller.*' "$@"
  echo "== the release installer (x86), 32-bit Windows"
  run_installer_test "$release" x86 "$tests32" win32 "$root/build/package/win32/Reticor2.exe" \
    "$root/build/win32/install-screenshots-release" 'ReleaseInstaller.*' "$@"
else
  echo "NOT RUN: the release installer $(basename "$release") is x86 code and this machine refuses"
  echo "32-bit x86 programs (Exec format error), so Wine cannot start it; its script is tested above as a 64-bit program."
fi
