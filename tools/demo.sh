#!/usr/bin/env bash
# Builds the command tool and runs the example session examples/demo.cmds.
# Missing build tools are installed with apt-get when run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "demo: missing ${need[*]}; install them or run as root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEMO_TESTS=OFF -DVEMO_BENCH=OFF >/dev/null
cmake --build build-demo -j2 --target zrcmd
echo
./build-demo/tools/zrcmd examples/demo.cmds
