#!/usr/bin/env bash
# Checks the release packages and runs the installer's end-to-end tests under
# Wine, each in a fresh prefix (harness.sh):
#   tests/install/run.sh [gtest args...]
# Needs scripts/package (dist/, build/package) and the win64 build (the test
# program); where this machine runs 32-bit x86 programs, also the win32 build.
#
# 0. Two packages beside dist/ on the same builds (scripts/package --out): one
#    unsigned, which must equal dist/ byte for byte, and one signed with a
#    throwaway self-signed certificate, whose programs (from its zips) and
#    installers osslsigncode verifies against that certificate.
# 1. The installer script built as a 64-bit program, in a 64-bit prefix: install,
#    the installed program, a second start, an upgrade over the running program,
#    uninstall (InstallTest).
# 2. The signed release installer (x86 code), where 32-bit x86 programs run:
#    silently in a 64-bit prefix, where it installs the 64-bit program, and in a
#    32-bit one (WINEARCH=win32), where it installs the 32-bit program; each
#    draws its cross, answers a reading and is uninstalled (ReleaseInstaller).
#    Elsewhere it prints NOT RUN, and test 1 installs the signed 64-bit installer.
# The test of a signed installer keeps the uninstaller it installed, verified too.
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
unset RETICOR2_SIGN_PFX RETICOR2_SIGN_PASSWORD_FILE RETICOR2_SIGN_TIMESTAMP_URL
tmp=$(mktemp -d "${TMPDIR:-/tmp}/reticor2-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

windows_path() { echo "Z:${1//\//\\}"; }  # Wine sees the Unix file system as drive Z:

verify() {  # signed files...
  for file; do
    osslsigncode verify -CAfile "$tmp/signer.pem" -in "$file" >"$tmp/verify.log" 2>&1 ||
      { cat "$tmp/verify.log" >&2; echo "install test: no valid signature on $file" >&2; exit 1; }
  done
}

echo "== packages beside dist/: made again unsigned, and signed with a throwaway certificate"
"$root/scripts/package" --out "$tmp/again"
diff -r "$root/dist" "$tmp/again/dist" || { echo "install test: dist/ is not made again the same (another commit?)" >&2; exit 1; }
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Reticor2 test signer" -addext keyUsage=digitalSignature \
  -addext extendedKeyUsage=codeSigning -keyout "$tmp/signer.key" -out "$tmp/signer.pem" 2>/dev/null
echo "throwaway $RANDOM" >"$tmp/password"
openssl pkcs12 -export -inkey "$tmp/signer.key" -in "$tmp/signer.pem" -passout "file:$tmp/password" -out "$tmp/signer.pfx"
RETICOR2_SIGN_PFX="$tmp/signer.pfx" RETICOR2_SIGN_PASSWORD_FILE="$tmp/password" "$root/scripts/package" --out "$tmp/signed"
signed="$tmp/signed/dist/Reticor2-$version-setup.exe" signed_setup="$tmp/signed/Reticor2-$version-setup-amd64.exe"
for arch in win64 win32; do python3 -m zipfile -e "$tmp/signed/dist/Reticor2-$version-$arch.zip" "$tmp/$arch"; done
verify "$tmp/win64/Reticor2.exe" "$tmp/win32/Reticor2.exe" "$signed" "$signed_setup"
echo "signed and verified: both programs, both installers"

# harness.sh with the installer under test; the rest of the arguments go to it. A
# signed installer's test keeps a copy of the uninstaller it installed, verified here.
run_installer_test() {  # setup.exe machine tests.exe arch program screenshots filter [gtest args...]
  local exe=$1 machine=$2 test_program=$3 arch=$4 program=$5 shots=$6 filter=$7 keep=""
  shift 7
  [[ "$exe" != "$tmp"/* ]] || keep="$tmp/Uninstall-$machine.exe"
  RETICOR_INSTALL_SETUP=$(windows_path "$exe") RETICOR_RELEASE_SETUP=$(windows_path "$release") \
    RETICOR_INSTALL_MACHINE=$machine RETICOR_INSTALL_VERSION="$version" \
    RETICOR_INSTALL_KEEP_UNINSTALLER=${keep:+$(windows_path "$keep")} \
    bash "$root/tests/e2e/harness.sh" --arch "$arch" --app "$program" --tests "$test_program" \
      --screenshots "$shots" -- --gtest_filter="$filter" "$@"
  [ -z "$keep" ] || { verify "$keep" && echo "the uninstaller it installed: signed and verified"; }
}

reticor_can_run_i386 || setup=$signed_setup
echo "== the installer script as a 64-bit program, 64-bit Windows$([ "$setup" = "$signed_setup" ] && echo ', signed')"
run_installer_test "$setup" x64 "$tests" win64 "$root/build/package/win64/Reticor2.exe" \
  "$root/build/win64/install-screenshots" 'InstallTest.*' "$@"

if reticor_can_run_i386; then
  [ -f "$tests32" ] || { echo "install test: no $tests32 (build the win32 preset)" >&2; exit 2; }
  echo "== the release installer (x86), signed, 64-bit Windows"
  run_installer_test "$signed" x64 "$tests" win64 "$root/build/package/win64/Reticor2.exe" \
    "$root/build/win64/install-screenshots-release" 'ReleaseInstaller.*' "$@"
  echo "== the release installer (x86), signed, 32-bit Windows"
  run_installer_test "$signed" x86 "$tests32" win32 "$root/build/package/win32/Reticor2.exe" \
    "$root/build/win32/install-screenshots-release" 'ReleaseInstaller.*' "$@"
else
  echo "NOT RUN: the release installer $(basename "$release") is x86 code and this machine refuses"
  echo "32-bit x86 programs (Exec format error), so Wine cannot start it; its script is tested above as a 64-bit program."
fi
