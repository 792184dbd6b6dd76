# Tour: a recording made in this run opened from the system menu ("打开记录…",
# the file dialog), replayed with the time played and the recording's whole
# time in the version label, then "返回实时" (back to live). Sourced by
# headless-run.sh with the tool stopped and connected to COM5; reconnects at
# the end, so the tool is left as it was found.
replay_rec=$(ls -t "$app"/Log/*.dat 2>/dev/null | head -n 1)
if [ -z "$replay_rec" ]; then
  echo "20-replay: no recording in $app/Log" >&2
else
  replay_name=$(basename "$replay_rec")
  # The session maps drive Z: to the Linux root.
  replay_path="Z:${replay_rec//\//\\}"
  drive syscommand --pid "$pid" --class "$class" --command 0x100 >/dev/null  # 打开记录…
  drive wait-window --pid "$pid" --class "#32770" --timeout 30000 >/dev/null
  sleep 1  # let the dialog paint its folder
  bash "$(dirname "$0")/x-screenshot.sh" "$pictures/replay-open.png"
  # The file name field: the name combo box (cmb13) or the plain edit (edt1).
  drive set-text --pid "$pid" --class "#32770" --id 0x47C --text "$replay_path" >/dev/null \
    || drive set-text --pid "$pid" --class "#32770" --id 0x480 --text "$replay_path" >/dev/null
  drive click --pid "$pid" --class "#32770" --id 1 >/dev/null
  for _ in $(seq 50); do [ "$(text 1208)" = "固件版本:$replay_name" ] && break; sleep 0.2; done
  echo "replay:    $(text 1208)"
  drive click --pid "$pid" --class "$class" --id 1105 >/dev/null  # start, at 1x
  sleep 2
  echo "replaying: $(text 1208)"
  bash "$(dirname "$0")/x-screenshot.sh" "$pictures/replay.png"
  for _ in $(seq 100); do [ "$(text 1105)" = "开始" ] && break; sleep 0.2; done
  echo "replayed:  $(text 1208)"
  drive syscommand --pid "$pid" --class "$class" --command 0x140 >/dev/null  # 返回实时
  for _ in $(seq 50); do [ "$(text 1208)" = "固件版本:Unknown" ] && break; sleep 0.2; done
  bash "$(dirname "$0")/x-screenshot.sh" "$pictures/replay-back-to-live.png"
  # Connected to COM5 again, as the tour found the tool.
  replay_index=$(drive combo --pid "$pid" --class "$class" --id 1101 | grep '^item=' | grep -n '^item=COM5$' | cut -d: -f1)
  drive select --pid "$pid" --class "$class" --id 1101 --index $((replay_index - 1)) >/dev/null
  drive click --pid "$pid" --class "$class" --id 1103 >/dev/null
  for _ in $(seq 50); do [ "$(text 1208)" != "固件版本:Unknown" ] && break; sleep 0.2; done
  echo "live:      $(text 1208)"
fi
