# shellcheck shell=bash
# What the benchmarks under Wine share; sourced by scripts/bench-latency and
# scripts/bench-nudge. Each names itself in $bench (for messages) and calls:
#
#   bench_win64_build TARGET...   sets $build: $RETICOR_WIN64_BUILD, a build
#                                 directory with the targets already built, or
#                                 the win64 preset (MinSizeRel) built now
#   bench_require TOOL...         each on PATH (scripts/lib/deps.sh installs them)
#   bench_wine_start              a run directory ($run), removed at exit with
#                                 the wineserver and every process given to
#                                 bench_started PID; Xvfb as $DISPLAY; a fresh
#                                 64-bit prefix under a Korean locale
#   wine_pty_pair A B             a socat pseudo-terminal pair, $run/A <-> $run/B
#   wait_for TENTHS COMMAND...    COMMAND until it succeeds, for TENTHS tenths
#                                 of a second (scripts/lib/wine.sh)

bench=${bench:-bench}
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Run on its own, a benchmark installs what is missing first: a build configured
# before the cross compiler is there keeps empty optimisation flags in its cache,
# and every figure would be of an unoptimised program.
# shellcheck source=scripts/lib/deps.sh
source "$bench_root/scripts/lib/deps.sh"
reticor_install_deps

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

# shellcheck source=lib/wine.sh
source "$bench_root/scripts/lib/wine.sh"

bench_wine_start() {
  wine_session "$bench" win64
  wine_display
  wine_boot
}

# Keeps the pid of the process just started in the background, for the clean-up.
bench_started() { echo "$1" >"$run/started-$1.pid"; }
