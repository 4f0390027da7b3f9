#!/usr/bin/env bash
# Checks the release packages and runs the installer's end-to-end test under
# Wine, each run in a fresh prefix (harness.sh):
#   tests/install/run.sh [gtest args...]
# Needs scripts/package (dist/, build/package) and the win64 build (the test
# program); where this machine runs 32-bit x86 programs, also the win32 build.
#
# 0. Two packages beside dist/ on the same builds (scripts/package --out): one
#    unsigned, which must equal dist/ byte for byte, and one signed with a
#    throwaway self-signed certificate, whose programs (from its zips) and
#    installers osslsigncode verifies against that certificate.
# 1. The signed release installer (x86 code), where 32-bit x86 programs run: in a
#    64-bit prefix, where it installs the 64-bit program, and in a 32-bit one
#    (WINEARCH=win32), where it installs the 32-bit program. Elsewhere it prints
#    NOT RUN, and the same installer script built as a 64-bit program, signed,
#    runs in the 64-bit prefix instead. Each run installs, starts the program,
#    upgrades it while it runs and uninstalls it; the uninstaller it installed is
#    verified too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/lib/deps.sh
source "$root/scripts/lib/deps.sh"
version=$(head -n1 "$root/VERSION")
release="$root/dist/Reticor2-$version-setup.exe"
[ -f "$release" ] || { echo "install test: no $release (run scripts/package)" >&2; exit 2; }
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

# The test in a fresh prefix of that Windows (harness.sh), the rest of the arguments for it.
run_installer_test() {  # setup.exe win64|win32 [gtest args...]
  local exe=$1 arch=$2 machine=x64 build=$root/build/$2
  shift 2
  [ "$arch" = win64 ] || machine=x86
  [ -f "$build/tests/install/reticor2_install_test.exe" ] || { echo "install test: build the $arch preset" >&2; exit 2; }
  echo "== $(basename "$exe"), signed, on $arch Windows"
  RETICOR_INSTALL_SETUP=$(windows_path "$exe") RETICOR_RELEASE_SETUP=$(windows_path "$signed") \
    RETICOR_INSTALL_MACHINE=$machine RETICOR_INSTALL_VERSION="$version" \
    RETICOR_INSTALL_KEEP_UNINSTALLER=$(windows_path "$tmp/Uninstall-$arch.exe") \
    bash "$root/tests/e2e/harness.sh" --arch "$arch" --app "$root/build/package/$arch/Reticor2.exe" \
      --tests "$build/tests/install/reticor2_install_test.exe" --screenshots "$build/install-screenshots" -- "$@"
  verify "$tmp/Uninstall-$arch.exe" && echo "the uninstaller it installed: signed and verified"
}

if reticor_can_run_i386; then
  run_installer_test "$signed" win64 "$@"
  run_installer_test "$signed" win32 "$@"
else
  echo "NOT RUN: the release installer $(basename "$release") is x86 code and $(reticor_i386_why_not);"
  echo "its script runs as a 64-bit program instead."
  run_installer_test "$signed_setup" win64 "$@"
fi
