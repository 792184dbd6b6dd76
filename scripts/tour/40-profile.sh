# Tour: a profile in the parameter dialog. "载入配置…" (the file dialog) fills
# the edits, and the dialog and the chart's notices say the profile is not yet
# written; "设置参数" writes the six shown, and the mark then points to
# "写入全部…" for the rest; "恢复默认" puts the module and the record back as
# the tour found them. profile_tour_steps stays defined for the English run
# of headless-run.sh (its pictures: after the load, after the set; empty: none).
profile_tour_steps() {
  local profile="$app/tour-profile.xml"
  printf '%s\n' '<?xml version="1.0"?>' '<RadarProfile Firmware="ZUV3917-2.04.261201"' \
    '	nMotionlessRangeMin="35" nMotionlessRangeMax="300" nMotionRangeMin="40" nMotionRangeMax="600"' \
    '	nOffTime="15" fMotionNearEndCoef="12.5" fMotionFarEndCoef="3.25" nMotionIIR="5" nDistanceCalibration="12">' \
    '	<Note>Hall B, 2.6 m</Note>' '</RadarProfile>' >"$profile"
  # The parameter dialog is the only visible "#32770" while no box or file dialog is open.
  param() { drive "$1" --pid "$pid" --class "#32770" --timeout 5000 "${@:2}"; }
  mark() { param text --id 1204 | sed -n 's/^text=//p'; }
  # Without a window manager the dialog is not painted again in X after a
  # file dialog or a box lay over it: it is shown afresh for each picture.
  picture() {
    [ -n "$1" ] || return 0
    param close >/dev/null || true
    text 1208 >/dev/null
    drive click --pid "$pid" --class "$class" --id 1104 >/dev/null
    sleep 1
    bash "$(dirname "$0")/x-screenshot.sh" "$1"
  }
  # After a box the window answers late (Wine) and a click sent meanwhile can
  # be lost: the window is asked something before each click, and the dialog's
  # button clicked until it shows.
  for _ in $(seq 10); do
    text 1208 >/dev/null
    drive click --pid "$pid" --class "$class" --id 1104 >/dev/null  # the parameter button
    param state --id 1202 >/dev/null && break
  done
  param click --id 1202 >/dev/null || echo "profile: no parameter dialog" >&2  # load profile…
  drive file-dialog --pid "$pid" --text "Z:${profile//\//\\}" --timeout 60000 >/dev/null ||
    echo "profile: the file was not chosen" >&2
  for _ in $(seq 25); do [ -n "$(mark)" ] && break; sleep 0.2; done
  echo "profile:   $(mark)"
  picture "$1"
  param click --id 1199 >/dev/null || true  # set
  drive dismiss --pid "$pid" --timeout 60000 >/dev/null || echo "profile: no box after the set" >&2
  echo "after set: $(mark)"
  picture "$2"
  param click --id 1200 >/dev/null || true  # restore defaults
  drive dismiss --pid "$pid" --timeout 60000 >/dev/null || echo "profile: no box after the restore" >&2
  mark >/dev/null
  param close >/dev/null || true
}
profile_tour_steps "$pictures/profile-loaded.png" "$pictures/profile-set.png"
