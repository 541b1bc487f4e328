#!/usr/bin/env bash
# Times vemo-render against sox on the same 10-minute 48 kHz float files, mono
# and stereo: vemo at a shown cutoff FC against sox as a sixth-order
# Butterworth low-pass at FC (three biquads with the Butterworth Qs), and
# vemo-render --state off against sox copying the file. Every pair runs side
# by side in each round; the ranges over the rounds are printed with the
# ratios of the best times. Both tools write a new file each time; with
# REPLACE=1 each replaces the file of the round before (vemo-render then
# flushes the data to disk before renaming it into place, sox truncates), and
# a flushed copy (dd with fsync, renamed over the old file) shows what the
# disk itself takes for the same guarantee.
# Usage: bench/compare_sox.sh [FC]   (BUILD=dir to reuse a build, default
# build-bench; MINUTES=length, default 10; ROUNDS=repeats, default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
fc=${1:-1000}
build=${BUILD:-build-bench}
minutes=${MINUTES:-10}
rounds=${ROUNDS:-3}
replace=${REPLACE:-0}

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
  cmake --build "$build" -j2 --target vemo-render vemo_vst >/dev/null
fi
render=$build/tools/render/vemo-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=$((minutes * 60))
for ch in 1 2; do
  echo "making $minutes minutes of $ch-channel 48 kHz float noise..." >&2
  sox -n -r 48000 -c "$ch" -e floating-point -b 32 "$work/in$ch.wav" synth "$seconds" pinknoise vol 0.5
done

elapsed() {  # command... ; prints seconds
  local t0 t1
  [ "$replace" = 1 ] || rm -f "$work/vemo.wav" "$work/sox.wav"
  # Each run starts with the disk idle: the data an earlier run left unflushed
  # would otherwise be written during this one, and slow its own flush.
  sync
  t0=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || { echo "compare_sox: $1 failed" >&2; exit 1; }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

flushed_copy() {  # in out: the input copied with a flush, renamed over out
  dd if="$1" of="$2.part" bs=1M conv=fsync status=none && mv -f "$2.part" "$2"
}

declare -A times
record() { times[$1]="${times[$1]:-} $2"; }
for ch in 1 2; do  # warm-up: both read the files from the page cache
  sox "$work/in$ch.wav" -n stat >/dev/null 2>&1 || true
done
if [ "$replace" = 1 ]; then  # the first round replaces files too
  for f in vemo sox dd; do cp "$work/in2.wav" "$work/$f.wav"; done
fi
for ((r = 1; r <= rounds; ++r)); do
  for ch in 1 2; do
    in=$work/in$ch.wav
    record "vemo $ch" "$(elapsed "$render" "$in" "$work/vemo.wav" --cutoff "$fc" --quiet)"
    record "sox $ch" "$(elapsed sox "$in" "$work/sox.wav" \
      lowpass -2 "$fc" 0.5176q lowpass -2 "$fc" 0.7071q lowpass -2 "$fc" 1.9319q)"
    record "off $ch" "$(elapsed "$render" "$in" "$work/vemo.wav" --state off --quiet)"
    record "copy $ch" "$(elapsed sox "$in" "$work/sox.wav")"
    if [ "$replace" = 1 ]; then
      record "flushed $ch" "$(elapsed flushed_copy "$in" "$work/dd.wav")"
    fi
  done
done

range() { echo "${times[$1]}" | tr ' ' '\n' | grep . | sort -n | awk 'NR==1{a=$1} {b=$1} END{printf "%6.2f - %6.2f s", a, b}'; }
best() { echo "${times[$1]}" | tr ' ' '\n' | grep . | sort -n | head -1; }
ratio() { awk -v a="$(best "$1")" -v b="$(best "$2")" 'BEGIN { printf "%.2f", a / b }'; }

printf 'input: %d min, 48 kHz, 32-bit float; cutoff %s Hz; %d rounds side by side; %s\n' \
  "$minutes" "$fc" "$rounds" "$([ "$replace" = 1 ] && echo 'replacing the output' || echo 'new output')"
for ch in 1 2; do
  name=$([ "$ch" = 1 ] && echo mono || echo stereo)
  printf '%-7s vemo-render          %s\n' "$name" "$(range "vemo $ch")"
  printf '%-7s sox 3 biquads        %s   ratio %s (goal <= 0.6)\n' "$name" "$(range "sox $ch")" \
    "$(ratio "vemo $ch" "sox $ch")"
  printf '%-7s vemo-render off      %s\n' "$name" "$(range "off $ch")"
  printf '%-7s sox copy             %s   ratio %s (goal <= 1.3)\n' "$name" "$(range "copy $ch")" \
    "$(ratio "off $ch" "copy $ch")"
  if [ "$replace" = 1 ]; then
    printf '%-7s flushed copy (dd)    %s   ratio %s (the disk)\n' "$name" "$(range "flushed $ch")" \
      "$(ratio "off $ch" "flushed $ch")"
  fi
done
