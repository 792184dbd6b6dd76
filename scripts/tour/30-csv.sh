# Sourced by scripts/headless-run.sh (see its tour hook): "导出CSV…" from the
# system menu turns the run's own recording into a CSV in a temporary folder;
# the picture is the box at the end with the counts of reports and skipped bytes.
csv_tour_dir=$(mktemp -d)
csv_tour_dat=$(ls -t "$app"/Log/*.dat 2>/dev/null | head -n 1)
if [ -n "$csv_tour_dat" ]; then
  # Linux paths as Wine's Z: drive sees them.
  csv_tour_from="Z:$(printf '%s' "$csv_tour_dat" | tr '/' '\\')"
  csv_tour_to="Z:$(printf '%s' "$csv_tour_dir" | tr '/' '\\')\\recording.csv"
  # 0x0200 is "导出CSV…"; each step says when it failed, and the tour goes on.
  drive syscommand --pid "$pid" --class "$class" --id 512 >/dev/null || echo "csv export: no menu command" >&2
  drive file-dialog --pid "$pid" --text "$csv_tour_from" --timeout 60000 >/dev/null ||
    echo "csv export: the recording was not chosen" >&2
  drive file-dialog --pid "$pid" --text "$csv_tour_to" --timeout 60000 >/dev/null ||
    echo "csv export: the CSV was not chosen" >&2
  drive msgbox --pid "$pid" --timeout 60000 | sed -n 's/^text=/csv export: /p' || true
  bash "$(dirname "$0")/x-screenshot.sh" "$pictures/csv-export.png"
  drive dismiss --pid "$pid" >/dev/null || true
  echo "csv lines: $(wc -l <"$csv_tour_dir/recording.csv" 2>/dev/null)"
else
  echo "no recording to export" >&2
fi
rm -rf "$csv_tour_dir"
unset csv_tour_dir csv_tour_dat csv_tour_from csv_tour_to
