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
type -P wine wineserver Xvfb socat import xdotool >/dev/null ||
  { echo "harness: wine, Xvfb, socat, ImageMagick or xdotool is missing (scripts/lib/deps.sh)" >&2; exit 2; }
app=$(realpath -e "$app")
tests=$(realpath -e "$tests")
shots=$(realpath -m "${shots:-$(dirname "$app")/e2e-screenshots}")

run=$(mktemp -d "${TMPDIR:-/tmp}/reticor2-e2e.XXXXXX")
mkdir -p "$shots"
rm -f "$shots"/*.png

export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEARCH=$arch
# winemenubuilder off: shortcuts the tests make stay in the prefix, out of the desktop menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 LANGUAGE=ko
unset WINELOADER WINESERVER

log() { echo "harness: $*" >&2; }

cleanup() {
  local status=$?
  set +e
  trap - EXIT
  trap "" INT TERM  # a second Ctrl-C must not cut the clean-up short
  [ -n "${server_pid-}" ] && kill "$server_pid"
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  # shellcheck disable=SC2046  # one word a process id
  kill $(cat "$run"/*.pid 2>/dev/null) ${xvfb_pid-} 2>/dev/null
  wait 2>/dev/null
  if [ "${RETICOR_E2E_KEEP:-0}" = 1 ]; then log "run directory kept: $run"; else rm -rf "$run"; fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local i
  for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.1; done
  "${@:2}"
}

# ---- virtual display on a free display number
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 test -s "$run/display" || { log "Xvfb did not start"; cat "$run/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$run/display")"

wine wineboot -i >"$run/wineboot.log" 2>&1 || { log "wineboot failed"; cat "$run/wineboot.log" >&2; exit 1; }

# ---- serial links. make_pair NAME: the pty pair $run/NAME-a (the program's end) <-> $run/NAME-b.
make_pair() {
  socat pty,raw,echo=0,link="$run/$1-a" pty,raw,echo=0,link="$run/$1-b" 2>>"$run/socat.log" &
  echo $! >"$run/$1.pid"
  wait_for 50 test -e "$run/$1-a" -a -e "$run/$1-b"
}
make_pair com2 && make_pair com5 || { log "socat did not make the pty pairs"; exit 1; }
for link in com2:com2-a com12:com2-a com3:com2-b com6:com5-b; do
  ln -sfn "$run/${link#*:}" "$WINEPREFIX/dosdevices/${link%%:*}"
done
# COM5 as the system's own serial port: Wine's device manager lists the ports of
# this key (SERIALCOMM, the device names) from its next start.
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$run/com5-a" /f >/dev/null 2>&1 || { log "cannot register COM5"; exit 1; }
wineserver -w
# The next server starts here, so that its own output goes to a log and not
# among the tests' (it stays up for the run, as the first one did).
wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >"$run/wineserver.log" 2>&1 ||
  { log "no serial ports map"; cat "$run/wineserver.log" >&2; exit 1; }

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
        kill "$(cat "$run/com2.pid")" 2>/dev/null
        wait_for 50 test ! -e "$run/com2-a" || status=1
        [ "${a[1]-}" = unplug ] || make_pair com2 || status=1
      else
        out=$("${a[@]}" 2>&1) || status=$?  # xdotool or import
      fi
      printf '%s\n%s\n' "$status" "$out" >"${req%.req}.tmp" && mv "${req%.req}.tmp" "${req%.req}.done"
    done
    read -r -t 0.02 -u 4 _
  done
}
serve &
server_pid=$!

# ---- the tests
log "display $DISPLAY, prefix $WINEPREFIX ($arch), screenshots in $shots"
status=0
RETICOR_E2E_APP='C:\reticor\Reticor2.exe' RETICOR_E2E_CHANNEL="$run" \
  timeout --kill-after=10 "${RETICOR_E2E_TIMEOUT:-240}" wine "$tests" "$@" || status=$?
[ "$status" = 124 ] && log "the test program did not finish within ${RETICOR_E2E_TIMEOUT:-240} s"
exit "$status"
