# shellcheck shell=bash
# What the benchmarks under Wine share; sourced by scripts/bench-latency and
# scripts/bench-nudge. Each names itself in $bench (for messages) and calls:
#
#   bench_win64_build TARGET...   sets $build: $RETICOR_WIN64_BUILD, a build
#                                 directory with the targets already built, or
#                                 the win64 preset (MinSizeRel) built now
#   bench_require TOOL...         each on PATH (scripts/lib/deps.sh installs them)
#   bench_wine_start              a run directory ($run), removed at exit with
#                                 every process started here ($pids) and the
#                                 wineserver; Xvfb as $DISPLAY; a fresh 64-bit
#                                 prefix under a Korean locale
#   bench_pty_pair A B            a socat pseudo-terminal pair, $run/A <-> $run/B
#   wait_for TENTHS COMMAND...    COMMAND until it succeeds, for TENTHS tenths
#                                 of a second

bench=${bench:-bench}
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bench_win64_build() {
  build=${RETICOR_WIN64_BUILD:-}
  if [ -z "$build" ]; then
    (cd "$bench_root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 --target "$@")
    build="$bench_root/build/win64"
  fi
}

bench_require() {
  local t
  for t in "$@"; do
    command -v "$t" >/dev/null || { echo "$bench: $t is not installed (scripts/lib/deps.sh)" >&2; exit 1; }
  done
}

wait_for() {  # tenths command...
  local tenths=$1 i; shift
  for ((i = 0; i < tenths; i++)); do "$@" && return 0; sleep 0.1; done
  "$@"
}

bench_cleanup() {
  local status=$?
  set +e
  trap - EXIT
  if [ -n "$wine_started" ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$run"
  exit "$status"
}

bench_wine_start() {
  bench_require wine wineserver Xvfb
  run=$(mktemp -d "${TMPDIR:-/tmp}/reticor2-$bench.XXXXXX")
  export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 LANGUAGE=ko
  unset WINELOADER WINESERVER
  pids=() wine_started=""
  trap bench_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$run/display" || { echo "$bench: Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(head -n1 "$run/display")"
  export DISPLAY

  wine_started=1
  wine wineboot -i >"$run/wineboot.log" 2>&1 || { echo "$bench: wineboot failed" >&2; exit 1; }
}

bench_pty_pair() {  # a b
  bench_require socat
  socat pty,raw,echo=0,link="$run/$1" pty,raw,echo=0,link="$run/$2" 2>>"$run/socat.log" &
  pids+=($!)
  wait_for 50 test -e "$run/$1" -a -e "$run/$2" || { echo "$bench: socat made no pty pair" >&2; exit 1; }
}
