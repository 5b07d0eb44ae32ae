#!/usr/bin/env bash
# Builds the release programs (command line and desktop) and runs the main job on the
# bundled example sale. The build's own output goes to a log file; the terminal shows
# one line of progress, so that the job's output is what stays on the screen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
mkdir -p build
log=build/example-build.log
: >"$log"

# Runs a build command with its output in the log and one line of progress.
quietly() {
  local status=0
  if [ -t 1 ]; then
    "$@" 2>&1 | while IFS= read -r line; do
      printf '%s\n' "$line" >>"$log"
      case "$line" in
        \[*/*\]*) printf '\r\033[K  %.70s' "$line" ;;
      esac
    done || status=$?
    printf '\r\033[K'
  else
    "$@" >>"$log" 2>&1 || status=$?
  fi
  if [ "$status" -ne 0 ]; then
    echo "Build failed; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit "$status"
  fi
}

echo "Building Strovan (details in $log) ..."
quietly cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
quietly cmake --build build/release --target strovan-cli strovan
echo "Built build/release/cli/strovan-cli and build/release/gui/strovan."
echo

# The main job.
build/release/cli/strovan-cli dump data/examples/sale.crz

echo
echo "Next: start the desktop program with  build/release/gui/strovan data/examples/sale.crz"
