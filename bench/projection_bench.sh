#!/usr/bin/env bash
# Times projected maps:
#  - the north polar cap from 60 N at full resolution to PNG (about 7,900
#    pixels square), against the way to the same picture through GDAL:
#    tarvelon-render's own simple cylindrical elevations of 60 .. 88 N at
#    step 1, gdalwarp onto the cap's polar grid, gdaldem color-relief with
#    the same colours to PNG;
#  - a globe 2048 pixels across, to BMP and to PNG.
#
#   bench/projection_bench.sh DATA_FOLDER [RUNS]
#
# DATA_FOLDER holds the sixteen full-size tiles (the demo set, or one made
# by tarvelon-render make-data). Each command runs RUNS times in turn
# (default 3), with the tiles in the page cache; the figures are the best
# run's wall time, the others in brackets, the best run's processor time
# (user + system: on a busy machine the fairer comparison) and the largest
# peak resident set.
# The maps go to TMPDIR (default /tmp), about 700 MB at once; the tiles,
# 2 GB, are read once first to have them in the page cache. Needs gdal-bin
# and /usr/bin/time (scripts/setup.sh installs them) and a release build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVELON_BUILD:-$root/build/release}"
render="$build/tools/tarvelon-render"
data="${1:?usage: $0 DATA_FOLDER [RUNS]}"
runs="${2:-3}"

[ -x "$render" ] || { echo "no $render: run scripts/build.sh release first" >&2; exit 1; }
for tool in gdalwarp gdaldem gdalinfo; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (Debian gdal-bin)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian time)" >&2; exit 1; }
data="$(cd "$data" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/tarvelon-projection.XXXXXX")"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
declare -A t cpu peak
# timed NAME COMMAND...: the wall and processor time of one run, kept under
# NAME, and the largest peak resident set (kB) of NAME's runs.
timed() {
  local name=$1 start
  shift
  start=$(now)
  /usr/bin/time -f "%M %U %S" -o "$work/rss" "$@" > "$work/$name.out" 2> "$work/$name.err"
  t[$name]+="$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }') "
  local kb user system
  read -r kb user system < <(tail -1 "$work/rss")
  cpu[$name]+="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }') "
  [ "$kb" -gt "${peak[$name]:-0}" ] && peak[$name]=$kb
  return 0
}
best() { printf '%s\n' ${t[$1]} | sort -g | head -1; }
# The processor time of the run with the best wall time.
cpuOf() { paste -d' ' <(printf '%s\n' ${t[$1]}) <(printf '%s\n' ${cpu[$1]}) | sort -g | head -1 | cut -d' ' -f2; }
mb() { echo $(((${peak[$1]} + 512) / 1024)); }

polar="+proj=stere +lat_0=90 +lon_0=0 +k=1 +x_0=0 +y_0=0 +R=3396190 +units=m +no_defs"
"$render" palette --format gdal -o "$work/colours.txt"
cat "$data"/megt*.img > /dev/null

for ((i = 1; i <= runs; i++)); do
  rm -f "$work"/cap* "$work"/flat* "$work"/warped* "$work"/gdal*
  timed cap "$render" area -180 90 180 60 --projection north-polar --step 1 --data "$data" -o "$work/cap.png"
  # The peer's grid is the cap's: its extent and size as GDAL reads them.
  grid=$(gdalinfo -json "$work/cap.png" | tr -d ' \n' |
    sed -E 's/.*"size":\[([0-9]+),([0-9]+)\].*"geoTransform":\[([^,]+),([^,]+),[^,]+,([^,]+),[^,]+,([^]]+)\].*/\1 \2 \3 \4 \5 \6/')
  read -r width height west pixel north _ <<< "$grid"
  extent=$(awk -v w="$west" -v n="$north" -v p="$pixel" -v x="$width" -v y="$height" \
    'BEGIN { printf "%.10f %.10f %.10f %.10f", w, n - y * p, w + x * p, n }')
  timed flat "$render" area -180 88 180 60 --step 1 --elevation --data "$data" -o "$work/flat.tif"
  # shellcheck disable=SC2086
  timed warp gdalwarp -q -t_srs "$polar" -te $extent -ts "$width" "$height" -r near "$work/flat.tif" "$work/warped.tif"
  timed relief gdaldem color-relief -q -alpha -of PNG "$work/warped.tif" "$work/colours.txt" "$work/gdal.png"
  for format in bmp png; do
    timed "globe-$format" "$render" area -180 88 180 -88 --projection globe --centre 70,-40 --size 2048 \
      --data "$data" -o "$work/globe.$format"
  done
  echo "run $i: cap $(echo ${t[cap]} | awk '{ print $NF }') s, flat + warp + relief" \
    "$(echo ${t[flat]} | awk '{ print $NF }') + $(echo ${t[warp]} | awk '{ print $NF }') +" \
    "$(echo ${t[relief]} | awk '{ print $NF }') s" >&2
done

echo "data: $data; $runs runs of each, in turn; best (all runs in brackets), peak resident set"
echo "north polar cap, 60 .. 90 N at step 1: $(sed -n 2p "$work/cap.out")"
row() {
  printf '  %-62s %7.3f s  cpu %6.2f s  %5s MB   (%s)\n' "$1" "$(best "$2")" "$(cpuOf "$2")" "$(mb "$2")" "${t[$2]% }"
}
row "tarvelon-render area -180 90 180 60 --projection north-polar" cap
row "tarvelon-render area -180 88 180 60 --step 1 --elevation (.tif)" flat
row "gdalwarp -r near onto the cap's grid" warp
row "gdaldem color-relief -alpha -of PNG" relief
awk -v c="$(best cap)" -v f="$(best flat)" -v w="$(best warp)" -v r="$(best relief)" \
  -v cc="$(cpuOf cap)" -v cf="$(cpuOf flat)" -v cw="$(cpuOf warp)" -v cr="$(cpuOf relief)" 'BEGIN {
  printf "  GDAL way, all three steps                                        %7.3f s  cpu %6.2f s\n", f + w + r, cf + cw + cr
  printf "  GDAL way / tarvelon-render (aim: at least 5)                     %7.1f    cpu %6.1f\n", (f + w + r) / c,
    (cf + cw + cr) / cc
  printf "  gdalwarp + gdaldem alone / tarvelon-render                       %7.1f    cpu %6.1f\n", (w + r) / c,
    (cw + cr) / cc }'
# How alike the two pictures are: every 7th row, the opaque pixels of both.
if /usr/bin/python3 -c 'from osgeo import gdal' 2> /dev/null; then
  /usr/bin/python3 - "$work/cap.png" "$work/gdal.png" <<'EOF'
import sys
from osgeo import gdal
ours, theirs = gdal.Open(sys.argv[1]), gdal.Open(sys.argv[2])
shown = same = 0
for y in range(0, ours.RasterYSize, 7):
    a = ours.ReadAsArray(0, y, ours.RasterXSize, 1)
    b = theirs.ReadAsArray(0, y, theirs.RasterXSize, 1)
    opaque = (a[3] > 0) & (b[3] > 0)
    shown += int(opaque.sum())
    same += int(((a == b).all(axis=0) & opaque).sum())
print("  the same colour in both, of the pixels both show (every 7th row): %.2f %%" % (100.0 * same / shown))
EOF
fi
echo "globe centred on 70 E, 40 S, 2048 pixels across: $(sed -n 2p "$work/globe-bmp.out")"
row "... to BMP" globe-bmp
row "... to PNG" globe-png
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
