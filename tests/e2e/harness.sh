#!/usr/bin/env bash
# Runs the end-to-end test program against Reticor2.exe under Wine.
#
#   harness.sh --app Reticor2.exe --tests reticor2_e2e.exe [--screenshots DIR] [--arch win32] [-- gtest args...]
#
# --arch win32 makes the prefix a 32-bit Windows (WINEARCH=win32), which runs
# 32-bit programs only; the default is a 64-bit one (win64).
#
# Per run: a fresh Wine prefix in the Korean locale, a virtual display (Xvfb
# 1920x1080x24), socat pseudo-terminal pairs with COM2 (the program's port, also
# named COM12) on one end and COM3 (the test's end) on the other, and likewise
# COM5 <-> COM6, where COM5 is a port the system lists, as a USB adapter's is;
# Reticor2.exe copied to C:\reticor\Reticor2.exe, and a request server for the
# test program (see "Requests" below). Everything is torn down on every way out.
# Exit status: the test program's.
#
# Requests: the test program writes <id>.req into $RETICOR_E2E_CHANNEL (one
# argument per line, UTF-8; written as .tmp and renamed), the server answers with
# <id>.done: the exit status on the first line, then the output.
#   xdotool ARG... | import ARG...   run on the virtual display, in the screenshot folder
#   port unplug|plug                 ends COM2's pty pair (the open port fails, as a
#                                    pulled USB adapter does) or makes a new one
#
# Environment: RETICOR_E2E_TIMEOUT (seconds for the test program, default 240),
# RETICOR_E2E_KEEP=1 keeps the run directory (prefix, logs) for a post-mortem.
set -euo pipefail

app="" tests="" shots="" arch=win64
while [ $# -gt 0 ]; do
  case "$1" in
    --app) app=$2 ;;
    --tests) tests=$2 ;;
    --screenshots) shots=$2 ;;
    --arch) arch=$2 ;;
    --) shift; break ;;
    *) echo "usage: $0 --app Reticor2.exe --tests reticor2_e2e.exe [--screenshots DIR] [--arch win32|win64] [-- gtest args]" >&2; exit 2 ;;
  esac
  shift 2
done
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/wine.sh"
wine_keep=${RETICOR_E2E_KEEP:-0}
wine_session e2e "$arch"
type -P import xdotool >/dev/null || wine_fail "ImageMagick or xdotool is missing (scripts/lib/deps.sh)"
app=$(realpath -e "$app")
tests=$(realpath -e "$tests")
shots=$(realpath -m "${shots:-$(dirname "$app")/e2e-screenshots}")
mkdir -p "$shots"
rm -f "$shots"/*.png
wine_display
wine_boot

# ---- serial links: the pty pairs $run/com2-a (the program's end) <-> $run/com2-b, and com5-a <-> com5-b.
wine_pty_pair com2-a com2-b
wine_pty_pair com5-a com5-b
for link in com2:com2-a com12:com2-a com3:com2-b com6:com5-b; do
  ln -sfn "$run/${link#*:}" "$WINEPREFIX/dosdevices/${link%%:*}"
done
# COM5 as the system's own serial port: Wine's device manager lists the ports of
# this key (SERIALCOMM, the device names) from its next start.
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$run/com5-a" /f >/dev/null 2>&1 || wine_fail "cannot register COM5"
wineserver -k  # ends the services at once: no wait for the idle server to go
wineserver -w
# The next server starts here, so that its own output goes to a log and not
# among the tests' (it stays up for the run, as the first one did).
wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >"$run/wineserver.log" 2>&1 ||
  wine_fail "no serial ports map" "$run/wineserver.log"

install -D "$app" "$WINEPREFIX/drive_c/reticor/Reticor2.exe"

# ---- request server
serve() {
  local req a status out
  set +e
  cd "$shots"
  exec 4<> <(:)  # a pipe nobody writes: 'read -t' on it is a sleep without a fork
  while :; do
    for req in "$run"/*.req; do
      [ -e "$req" ] || continue
      mapfile -t a <"$req"
      rm -f "$req"
      status=0 out=""
      if [ "${a[0]-}" = port ]; then
        kill "$(cat "$run/com2-a.pid")" 2>/dev/null
        wait_for 50 test ! -e "$run/com2-a" || status=1
        [ "${a[1]-}" = unplug ] || (wine_pty_pair com2-a com2-b) || status=1
      else
        out=$("${a[@]}" 2>&1) || status=$?  # xdotool or import
      fi
      printf '%s\n%s\n' "$status" "$out" >"${req%.req}.tmp" && mv "${req%.req}.tmp" "${req%.req}.done"
    done
    read -r -t 0.02 -u 4 _
  done
}
serve &
echo $! >"$run/server.pid"

# ---- the tests
echo "harness: display $DISPLAY, prefix $WINEPREFIX ($arch), screenshots in $shots"
status=0
RETICOR_E2E_APP='C:\reticor\Reticor2.exe' RETICOR_E2E_CHANNEL="$run" \
  timeout --kill-after=10 "${RETICOR_E2E_TIMEOUT:-240}" wine "$tests" "$@" || status=$?
[ "$status" = 124 ] && echo >&2 "harness: the test program did not finish within ${RETICOR_E2E_TIMEOUT:-240} s"
exit "$status"
