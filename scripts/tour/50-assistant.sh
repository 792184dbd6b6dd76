# Tour: the tuning assistant ("调参助手…" in the system menu) with two
# recordings chosen through its file dialogs: a room with a fan near the
# module, and a person sitting still at 2.5 m whose presence drops out once;
# the picture shows the suggestion and its predicted effect.
# assistant_tour_steps stays defined for the English run of headless-run.sh.
assistant_tour_steps() {
  local empty="$app/tour-empty.dat" occupied="$app/tour-occupied.dat"
  # Report frames (AA AA state distance-LE 55 55) at 50 ms: 70 s each.
  python3 - "$empty" "$occupied" <<'PY'
import struct, sys
def runs(path, parts):
    with open(path, 'wb') as f:
        for state, distance, count in parts:
            f.write(struct.pack('<BBBHBB', 0xAA, 0xAA, state, distance, 0x55, 0x55) * count)
runs(sys.argv[1], [(0, 0, 500), (1, 60, 40), (0, 0, 300), (1, 70, 30), (0, 0, 530)])
runs(sys.argv[2], [(2, 250, 600), (0, 0, 30), (2, 255, 770)])
PY
  # The assistant is the only visible "#32770" while no file dialog is open.
  assistant() { drive "$1" --pid "$pid" --class "#32770" --timeout 5000 "${@:2}"; }
  text 1208 >/dev/null
  drive syscommand --pid "$pid" --class "$class" --command 0x400 >/dev/null || echo "assistant: no menu command" >&2
  # After a file dialog the window answers late (Wine) and a click sent
  # meanwhile can be lost: each step is tried until its label names its file.
  for step in "1301 1302 $empty" "1304 1305 $occupied"; do
    local ids=${step% *} path=${step##* }
    local shown="Z:${path//\//\\}"
    for _ in $(seq 10); do
      [ "$(assistant text --id "${ids#* }" | sed -n 's/^text=//p')" = "$shown" ] && break
      text 1208 >/dev/null
      assistant click --id "${ids% *}" >/dev/null || continue
      drive file-dialog --pid "$pid" --text "$shown" --timeout 10000 >/dev/null
      sleep 1
    done
    [ "$(assistant text --id "${ids#* }" | sed -n 's/^text=//p')" = "$shown" ] || echo "assistant: $path was not chosen" >&2
  done
  for _ in $(seq 50); do [ -n "$(assistant text --id 1309 | sed -n 's/^text=//p')" ] && break; sleep 0.2; done
  assistant text --id 1309 | sed -n 's/^text=/assistant: /p' | head -n 3
  sleep 1
  [ -z "$1" ] || bash "$(dirname "$0")/x-screenshot.sh" "$1"
  assistant close >/dev/null || true
  rm -f "$empty" "$occupied"
}
assistant_tour_steps "$pictures/tuning-assistant-chinese.png"
