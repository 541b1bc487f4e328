#!/usr/bin/env bash
# Times vemo-render against sox on the same 10-minute stereo 48 kHz float file:
# vemo at a shown cutoff FC, sox as a sixth-order Butterworth low-pass at FC
# (three biquads with the Butterworth Qs). Prints both times and their ratio.
# Usage: bench/compare_sox.sh [FC]   (BUILD=dir to reuse a build; default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
fc=${1:-1000}
build=${BUILD:-build-bench}
minutes=${MINUTES:-10}

command -v sox >/dev/null 2>&1 || {
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sox >/dev/null
  else
    echo "compare_sox: sox is missing" >&2
    exit 1
  fi
}
if [ ! -x "$build/tools/render/vemo-render" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMO_TESTS=OFF -DVEMO_BENCH=OFF >/dev/null
  cmake --build "$build" -j2 --target vemo-render >/dev/null
fi
render=$build/tools/render/vemo-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=$((minutes * 60))
echo "making $minutes minutes of stereo 48 kHz float noise..."
sox -n -r 48000 -c 2 -e floating-point -b 32 "$work/in.wav" synth "$seconds" pinknoise vol 0.5

elapsed() {  # command... ; prints seconds
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "compare_sox: $1 failed" >&2; exit 1; }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

# One warm-up each so that both read the file from the page cache.
sox "$work/in.wav" -n stat >/dev/null 2>&1 || true
t_vemo=$(elapsed "$render" "$work/in.wav" "$work/vemo.wav" --cutoff "$fc" --quiet)
t_sox=$(elapsed sox "$work/in.wav" "$work/sox.wav" \
  lowpass -2 "$fc" 0.5176q lowpass -2 "$fc" 0.7071q lowpass -2 "$fc" 1.9319q)
frames=$((seconds * 48000))

printf 'input            %d min, stereo, 48 kHz, 32-bit float (%d frames)\n' "$minutes" "$frames"
div() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf 'vemo-render      %7.2f s  (%sx real time)\n' "$t_vemo" "$(div "$seconds" "$t_vemo")"
printf 'sox 3 biquads    %7.2f s  (%sx real time)\n' "$t_sox" "$(div "$seconds" "$t_sox")"
printf 'ratio vemo/sox   %s (above 1: vemo-render is slower)\n' "$(div "$t_vemo" "$t_sox")"
