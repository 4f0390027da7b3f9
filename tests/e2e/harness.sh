#!/usr/bin/env bash
# Runs the end-to-end test program against Reticor2.exe under Wine.
#
#   harness.sh --app Reticor2.exe --tests reticor2_e2e.exe [--screenshots DIR] [--arch win32] [-- gtest args...]
#
# --arch win32 makes the prefix a 32-bit Windows (WINEARCH=win32), which runs
# 32-bit programs only; the default is a 64-bit one (win64).
#
# Per run: a fresh Wine prefix, a virtual display (Xvfb 1920x1080x24), socat
# pseudo-terminal pairs with COM2 (the program's port) on one end and COM3 (the
# test's end) on the other, and likewise COM5 <-> COM6; COM5 and COM7 (whose
# other end is not used) are ports the system announces, as a USB adapter's are;
# Reticor2.exe copied to C:\reticor\Reticor2.exe, and a
# request server that takes screenshots, drives xdotool and reads screen pixels
# for the test program (see "Requests" below). Everything is torn down on every
# way out. Exit status: the test program's.
#
# Requests: the test program writes <id>.req into $RETICOR_E2E_CHANNEL (one
# argument per line, UTF-8; written as .tmp and renamed), the server answers with
# <id>.done: the exit status on the first line, then the output.
#   screenshot NAME        import -window root -> SCREENSHOTS/NAME.png; answers the path
#   xdotool ARG...         xdotool on the virtual display; answers its output
#   pixel X Y              answers "R G B" of that screen pixel
#   port com2|com5 missing|present
#                          points the port at nothing (no such port) or back at its pair
#   port com2|com5 unplug|plug
#                          ends the port's pty pair (the open port fails, as a pulled
#                          USB adapter does) or makes a new one under the same names
#
# Environment: RETICOR_E2E_TIMEOUT (seconds for the test program, default 240),
# RETICOR_E2E_KEEP=1 keeps the run directory (prefix, logs) for a post-mortem.
set -euo pipefail

usage() {
  echo "usage: $0 --app Reticor2.exe --tests reticor2_e2e.exe [--screenshots DIR] [--arch win32|win64] [-- gtest args]" >&2
  exit 2
}

app="" tests="" shots="" arch=win64
while [ $# -gt 0 ]; do
  case "$1" in
    --app) app=$2; shift 2 ;;
    --tests) tests=$2; shift 2 ;;
    --screenshots) shots=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    --) shift; break ;;
    *) usage ;;
  esac
done
[ -n "$app" ] && [ -n "$tests" ] || usage
case "$arch" in win32|win64) ;; *) usage ;; esac
[ -f "$app" ] || { echo "harness: no program at $app" >&2; exit 2; }
[ -f "$tests" ] || { echo "harness: no test program at $tests" >&2; exit 2; }
app=$(realpath "$app")
tests=$(realpath "$tests")
[ -n "$shots" ] || shots="$(dirname "$app")/e2e-screenshots"

for tool in wine wineserver Xvfb socat import xdotool; do
  command -v "$tool" >/dev/null || { echo "harness: $tool is not installed (scripts/lib/deps.sh)" >&2; exit 2; }
done

run=$(mktemp -d "${TMPDIR:-/tmp}/reticor2-e2e.XXXXXX")
chan="$run/requests"
mkdir -p "$chan" "$shots"
rm -f "$shots"/*.png

export WINEPREFIX="$run/prefix"
export WINEDEBUG=-all
# winemenubuilder off: shortcuts the tests make stay in the prefix, out of the desktop menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=$arch
unset WINELOADER WINESERVER

xvfb_pid="" server_pid="" wine_started=""

log() { echo "harness: $*" >&2; }

cleanup() {
  local status=$?
  set +e
  trap - EXIT
  trap "" INT TERM  # a second Ctrl-C must not cut the clean-up short
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  if [ -n "$wine_started" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  for pid in "$run"/*.pid; do [ -s "$pid" ] && kill "$(cat "$pid")" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  if [ "${RETICOR_E2E_KEEP:-0}" = 1 ]; then
    log "run directory kept: $run"
  else
    rm -rf "$run"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1; shift
  local i
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# ---- virtual display on a free display number
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 test -s "$run/display" || { log "Xvfb did not start"; cat "$run/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$run/display")"

# ---- Wine prefix, Korean locale for everything Wine runs
wine_env=(env LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 LANGUAGE=ko)
wine_started=1
"${wine_env[@]}" wine wineboot -i >"$run/wineboot.log" 2>&1 || { log "wineboot failed"; cat "$run/wineboot.log" >&2; exit 1; }

# ---- serial links: COM2 <-> COM3, COM5 <-> COM6, COM7 <-> COM8
# make_pair NAME: the pty pair $run/NAME-a (the program's end) <-> $run/NAME-b.
make_pair() {
  socat pty,raw,echo=0,link="$run/$1-a" pty,raw,echo=0,link="$run/$1-b" 2>>"$run/socat.log" &
  echo $! >"$run/$1.pid"
  wait_for 50 test -e "$run/$1-a" -a -e "$run/$1-b"
}
for pair in com2 com5 com7; do
  make_pair $pair || { log "socat did not make the pty pair $pair"; exit 1; }
done
ln -sfn "$run/com2-a" "$WINEPREFIX/dosdevices/com2"
ln -sfn "$run/com2-b" "$WINEPREFIX/dosdevices/com3"
ln -sfn "$run/com5-b" "$WINEPREFIX/dosdevices/com6"
ln -sfn "$run/com7-b" "$WINEPREFIX/dosdevices/com8"
# The same end as COM2 under a name above COM9, for a port named in the store.
ln -sfn "$run/com2-a" "$WINEPREFIX/dosdevices/com12"
# COM5 and COM7 as the system's own serial ports: Wine's device manager lists
# the ports of this key (SERIALCOMM, the device names) from its next start.
for port in com5 com7; do
  "${wine_env[@]}" wine reg add 'HKLM\Software\Wine\Ports' /v "${port^^}" /d "$run/$port-a" /f >/dev/null 2>&1 ||
    { log "cannot register ${port^^}"; exit 1; }
done
wineserver -w
# The next server starts here, so that its own output goes to a log and not
# among the tests' (it stays up for the run, as the first one did).
"${wine_env[@]}" wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >"$run/wineserver.log" 2>&1 ||
  { log "no serial ports map"; cat "$run/wineserver.log" >&2; exit 1; }

# ---- the program under test
mkdir -p "$WINEPREFIX/drive_c/reticor"
cp "$app" "$WINEPREFIX/drive_c/reticor/Reticor2.exe"

# ---- request server
answer() {  # id status output
  printf '%s\n%s\n' "$2" "$3" >"$chan/$1.tmp" && mv "$chan/$1.tmp" "$chan/$1.done"
}
serve_one() {
  local req=$1 id
  id=$(basename "$req" .req)
  local -a a
  mapfile -t a <"$req"
  rm -f "$req"
  local status=0 out=""
  case "${a[0]-}" in
    screenshot)
      local name=${a[1]-}
      if [[ ! "$name" =~ ^[A-Za-z0-9_][A-Za-z0-9._-]*$ ]]; then
        status=2 out="bad screenshot name"
      elif out=$(import -window root "$shots/$name.png" 2>&1); then
        out="$shots/$name.png"
      else
        status=1
      fi
      ;;
    xdotool)
      out=$(xdotool "${a[@]:1}" 2>&1) || status=$?
      ;;
    pixel)
      local x=${a[1]-} y=${a[2]-}
      if [[ "$x" =~ ^[0-9]+$ && "$y" =~ ^[0-9]+$ ]]; then
        out=$(import -window root -crop "1x1+$x+$y" -depth 8 txt:- 2>&1) || status=$?
        # "0,0: (255,0,0)  #FF0000  red" -> "255 0 0"
        [ "$status" = 0 ] && out=$(sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' <<<"$out")
        [ -n "$out" ] || status=1
      else
        status=2 out="bad pixel position"
      fi
      ;;
    port)
      local name=${a[1]-} target
      case "$name" in
        com2|com5) ;;
        *) status=2 out="bad port '$name'" name="" ;;
      esac
      [ -n "$name" ] && case "${a[2]-}" in
        missing) ln -sfn "$run/no-such-port" "$WINEPREFIX/dosdevices/$name" ;;
        present) ln -sfn "$run/$name-a" "$WINEPREFIX/dosdevices/$name" ;;
        unplug)
          kill "$(cat "$run/$name.pid")" 2>/dev/null
          : >"$run/$name.pid"
          wait_for 50 test ! -e "$run/$name-a" || status=1
          ;;
        plug) make_pair "$name" || status=1 ;;
        *) status=2 out="bad port state '${a[2]-}'" ;;
      esac
      ;;
    *)
      status=2 out="unknown request '${a[0]-}'"
      ;;
  esac
  answer "$id" "$status" "$out"
}
serve() {
  local req
  exec 4<> <(:)  # a pipe nobody writes: 'read -t' on it is a sleep without a fork
  while :; do
    for req in "$chan"/*.req; do
      [ -e "$req" ] && serve_one "$req"
    done
    read -r -t 0.02 -u 4 _ || true
  done
}
serve &
server_pid=$!

# ---- the tests
log "display $DISPLAY, prefix $WINEPREFIX ($arch), screenshots in $shots"
status=0
RETICOR_E2E_APP='C:\reticor\Reticor2.exe' RETICOR_E2E_CHANNEL="$chan" \
  timeout --kill-after=10 "${RETICOR_E2E_TIMEOUT:-240}" \
  "${wine_env[@]}" wine "$tests" "$@" || status=$?
[ "$status" = 124 ] && log "the test program did not finish within ${RETICOR_E2E_TIMEOUT:-240} s"
exit "$status"
