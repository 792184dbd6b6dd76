# The chart at work (sourced by headless-run.sh; the tool is stopped and
# connected to the simulated module on COM5): a run for a few seconds with
# the link's health line in the corner and the read-out under the pointer,
# then the chart's right-click menu; stopped again at the end.
chart_id=1500
drive click --pid "$pid" --class "$class" --id 1105 >/dev/null  # start
sleep 3  # the health line is renewed once a second
drive mouse --pid "$pid" --class "$class" --id "$chart_id" --x 560 --y 120 >/dev/null
sleep 1
bash "$(dirname "$0")/x-screenshot.sh" "$pictures/chart-readout.png"
drive mouse --pid "$pid" --class "$class" --id "$chart_id" --x 420 --y 120 --button right >/dev/null
sleep 1
bash "$(dirname "$0")/x-screenshot.sh" "$pictures/chart-menu.png"
# Escape closes the menu; the pointer leaves the chart.
drive post --pid "$pid" --class "$class" --msg 0x100 --wparam 0x1B >/dev/null
drive post --pid "$pid" --class "$class" --id "$chart_id" --msg 0x2A3 >/dev/null
drive click --pid "$pid" --class "$class" --id 1105 >/dev/null  # stop
sleep 1
