#!/usr/bin/env bash
# Makes a Wine prefix for the Windows tests once and keeps its server running,
# in the order that keeps ctest from waiting on Wine's long-lived processes.
#
#   eval "$(tools/wine-prefix.sh start DIR)"   exports WINEPREFIX, WINEDEBUG,
#                                              WINE_SERVER_PID
#   tools/wine-prefix.sh stop DIR              stops that prefix's server
set -euo pipefail

usage() {
  echo "usage: $0 start|stop PREFIX-DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
export WINEPREFIX
WINEPREFIX=$(mkdir -p "$2" && cd "$2" && pwd)
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

server_pid() {
  # The wineserver of this prefix works in a folder named after the prefix's
  # device and inode; other prefixes' servers are left alone.
  local dir p
  dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for p in $(pgrep '^wineserver' || true); do
    case $(readlink "/proc/$p/cwd" 2>/dev/null) in
    */"$dir")
      echo "$p"
      return 0
      ;;
    esac
  done
  return 1
}

case $action in
start)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
    wineserver -w
  fi
  # A persistent server, started before any program, then one program run
  # so that the prefix's services are up before the first test.
  wineserver -p 2>/dev/null || true  # already running: kept
  wine cmd /c exit >/dev/null 2>&1 || true
  pid=$(server_pid) || {
    echo "$0: no wineserver for $WINEPREFIX" >&2
    exit 1
  }
  printf 'export WINEPREFIX=%q WINEDEBUG=-all WINEDLLOVERRIDES=%q WINE_SERVER_PID=%s\n' \
    "$WINEPREFIX" "$WINEDLLOVERRIDES" "$pid"
  ;;
stop)
  if pid=$(server_pid); then
    kill "$pid"
    while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  fi
  ;;
*)
  usage
  ;;
esac
