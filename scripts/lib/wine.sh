# shellcheck shell=bash
# A Korean Windows under Wine, on a virtual display when there is none, with
# serial ports on socat pseudo-terminal pairs: what scripts/run, the benchmarks
# under Wine and the end-to-end harness share. Sourced; the caller then calls:
#
#   wine_session NAME ARCH [PREFIX]  a run directory ($run) removed at exit with
#                                    every process whose pid is in $run/*.pid, the
#                                    wineserver and Xvfb (kept when $wine_keep is 1);
#                                    Wine's settings for a win64 or win32 prefix
#                                    (default $run/prefix) in a Korean locale
#   wine_display                     Xvfb 1920x1080x24 on a free display as $DISPLAY
#   wine_boot                        makes the prefix, unless it is there already
#   wine_pty_pair A B                the pair $run/A <-> $run/B; socat's pid in $run/A.pid
#   wait_for TENTHS COMMAND...       COMMAND until it succeeds, for TENTHS tenths of a second

wait_for() {
  local i
  for ((i = 0; i < $1; i++)); do "${@:2}" && return 0; sleep 0.1; done
  "${@:2}"
}

wine_fail() {
  echo "$wine_name: $1" >&2
  [ -z "${2-}" ] || cat "$2" >&2
  exit 1
}

wine_cleanup() {
  local status=$?
  set +e
  trap - EXIT
  trap "" INT TERM  # a second Ctrl-C must not cut the clean-up short
  local pids
  pids=$(cat "$run"/*.pid 2>/dev/null)
  # shellcheck disable=SC2086  # one word a process id
  kill $pids 2>/dev/null
  if [ -n "$wine_started" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null  # the registry is on disk once the server is gone
  fi
  # shellcheck disable=SC2086
  wait $pids 2>/dev/null  # the display goes last: no program loses it while it ends
  [ -z "$wine_xvfb" ] || kill "$wine_xvfb" 2>/dev/null
  wait 2>/dev/null
  if [ "${wine_keep:-0}" = 1 ]; then echo "$wine_name: run directory kept: $run" >&2; else rm -rf "$run"; fi
  exit "$status"
}

wine_session() {  # name arch [prefix]
  wine_name=$1 wine_started="" wine_xvfb=""
  type -P wine wineserver Xvfb socat >/dev/null || wine_fail "wine, Xvfb or socat is missing (scripts/lib/deps.sh)"
  run=$(mktemp -d "${TMPDIR:-/tmp}/reticor2-$1.XXXXXX")
  export WINEPREFIX=${3:-$run/prefix} WINEDEBUG=${WINEDEBUG:--all} WINEARCH=$2
  # winemenubuilder off: shortcuts that installers make stay in the prefix, out of the desktop menu.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 LANGUAGE=ko
  unset WINELOADER WINESERVER
  trap wine_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

wine_display() {
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
  wine_xvfb=$!
  wait_for 100 test -s "$run/display" || wine_fail "Xvfb did not start" "$run/xvfb.log"
  DISPLAY=":$(head -n1 "$run/display")"
  export DISPLAY
}

wine_boot() {
  wine_started=1
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >"$run/wineboot.log" 2>&1 || wine_fail "wineboot failed" "$run/wineboot.log"
}

wine_pty_pair() {  # a b
  socat pty,raw,echo=0,link="$run/$1" pty,raw,echo=0,link="$run/$2" 2>>"$run/socat.log" &
  echo $! >"$run/$1.pid"
  wait_for 50 test -e "$run/$1" -a -e "$run/$2" || wine_fail "socat made no pty pair" "$run/socat.log"
}
