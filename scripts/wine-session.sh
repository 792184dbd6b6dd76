#!/usr/bin/env bash
# wine-session.sh DIR -- COMMAND...
# Runs COMMAND inside a private Wine session and removes it afterwards:
#   a fresh prefix in DIR/prefix, a private Xvfb display, Chinese font
#   replacements, optional pty pairs mapped as COM ports, and one wineserver
#   kept alive for the whole command so each Wine process starts quickly.
# Ports: WINE_SESSION_PORTS="5 12" maps COMN to DIR/ports/comN for each
#   number N (written before wineserver starts, so Wine lists the ports). The
#   far end makes the device there: the module simulator creates a pty and
#   links it at that path. With WINE_SESSION_PTY_PAIRS=1 the session itself
#   makes a pty pair per port instead, whose far end is DIR/ports/simN.
# Exports WINEPREFIX, DISPLAY, WINE_SESSION_DIR to COMMAND.
set -euo pipefail

dir=$1; shift
[ "${1:-}" = "--" ] && shift
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINE_SESSION_DIR="$dir"
export LANG=C.UTF-8

pids=()
cleanup() {
  set +e
  "$wineserver" -k >/dev/null 2>&1
  "$wineserver" -w >/dev/null 2>&1
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  # A test's small file system left mounted inside the session (a test that
  # died before unmounting it) goes with the session.
  awk -v d="$dir/" 'index($2, d) == 1 { print $2 }' /proc/mounts 2>/dev/null | sort -r |
    while read -r m; do umount -l "$(printf '%b' "$m")" 2>/dev/null; done
  rm -rf "$WINEPREFIX" "$dir/ports" "$dir/xvfb.fd" "$dir/session.reg"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$WINEPREFIX" "$dir/ports"

# A private display: Xvfb picks a free number and tells it through a pipe.
if [ -z "${WINE_SESSION_NO_X:-}" ]; then
  rm -f "$dir/xvfb.fd"; mkfifo "$dir/xvfb.fd"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/xvfb.fd" >/dev/null 2>&1 &
  pids+=($!)
  read -r -t 30 num <"$dir/xvfb.fd" || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
  rm -f "$dir/xvfb.fd"
  export DISPLAY=":$num"
fi

# Registry additions: font replacements (Chinese dialog fonts) and COM ports.
reg="$dir/session.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for f in "宋体" "SimSun" "黑体" "SimHei" "新宋体" "NSimSun"; do
    printf '"%s"="WenQuanYi Micro Hei"\r\n' "$f"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
  if [ -n "${WINE_SESSION_PORTS:-}" ]; then
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for n in $WINE_SESSION_PORTS; do
      printf '"COM%s"="%s"\r\n' "$n" "$dir/ports/com$n"
    done
  fi
} | iconv -f UTF-8 -t UTF-16 >"$reg"

mkdir -p "$dir/ports"
if [ -n "${WINE_SESSION_PORTS:-}" ] && [ -n "${WINE_SESSION_PTY_PAIRS:-}" ]; then
  for n in $WINE_SESSION_PORTS; do
    socat pty,raw,echo=0,link="$dir/ports/com$n" pty,raw,echo=0,link="$dir/ports/sim$n" 2>/dev/null &
    pids+=($!)
  done
  for n in $WINE_SESSION_PORTS; do
    for _ in $(seq 100); do [ -e "$dir/ports/com$n" ] && [ -e "$dir/ports/sim$n" ] && break; sleep 0.1; done
  done
fi

"$wine" wineboot -i >/dev/null 2>&1
"$wine" regedit "$reg" >/dev/null 2>&1
# Ports are read when wineserver starts: restart it after the import.
"$wineserver" -w >/dev/null 2>&1 || true
"$wineserver" -p >/dev/null 2>&1
"$wine" cmd /c exit >/dev/null 2>&1 || true

set +e
"$@"
rc=$?
exit $rc
