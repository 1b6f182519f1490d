#!/usr/bin/env bash
# Times the whole planet at 100 % (46076 x 22528 pixels) to BMP and to
# PNG: tarvelon-render against gdaldem color-relief over a VRT mosaic of
# the sixteen tiles (gdalbuildvrt on ENVI headers with map info), with the
# same colours, on the same machine, in turn.
#
#   bench/planet_vs_gdaldem.sh DATA_FOLDER [RUNS]
#
# DATA_FOLDER holds the sixteen full-size tiles (the demo set, or one made
# by tarvelon-render make-data). Each contender runs RUNS times (default
# 3); the figures are medians, with the tiles in the page cache where the
# memory holds them. The maps go to TMPDIR (default /tmp): the benchmark
# needs about 6.6 GB there at once (a 3.1 GB bitmap from each side) and is
# skipped, with a message, where the disk lacks it. Needs gdal-bin and
# /usr/bin/time (scripts/setup.sh installs them) and a release build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVELON_BUILD:-$root/build/release}"
render="$build/tools/tarvelon-render"
data="${1:?usage: $0 DATA_FOLDER [RUNS]}"
runs="${2:-3}"
scheme=1
mode=1

[ -x "$render" ] || { echo "no $render: run scripts/build.sh release first" >&2; exit 1; }
for tool in gdaldem gdalbuildvrt; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (Debian gdal-bin)" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian time)" >&2; exit 1; }
data="$(cd "$data" && pwd)"

tmp="${TMPDIR:-/tmp}"
needed_kb=$((6600 * 1024))
free_kb=$(df -Pk "$tmp" | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt "$needed_kb" ]; then
  echo "skipped: the whole planet needs about 6.6 GB free in $tmp, which has $((free_kb / 1024)) MB"
  exit 0
fi
work="$(mktemp -d "$tmp/tarvelon-planet.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The mosaic for GDAL: each tile behind an ENVI header placing it, 128
# samples a degree; the VRT joins the sixteen.
for latitude in 88n 44n 00n 44s; do
  for longitude in 000 090 180 270; do
    name="megt${latitude}${longitude}hb"
    [ -f "$data/$name.img" ] || { echo "$data has no $name.img" >&2; exit 1; }
    case $latitude in 88n) north=88 ;; 44n) north=44 ;; 00n) north=0 ;; 44s) north=-44 ;; esac
    west=$((10#$longitude < 180 ? 10#$longitude : 10#$longitude - 360))
    ln -s "$data/$name.img" "$work/$name.img"
    cat > "$work/$name.hdr" <<EOF
ENVI
samples = 11520
lines = 5632
bands = 1
header offset = 0
file type = ENVI Standard
data type = 2
interleave = bsq
byte order = 1
map info = {Geographic Lat/Lon, 1, 1, $west, $north, 0.0078125, 0.0078125}
EOF
  done
done
gdalbuildvrt -q "$work/mars.vrt" "$work"/megt*.img
"$render" palette --scheme "$scheme" --mode "$mode" --format gdal -o "$work/colours.txt"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

cat "$data"/megt*.img > /dev/null
declare -A t
rss_max=0
keep() { t[$1]+="$2 "; }
for ((i = 1; i <= runs; i++)); do
  for format in bmp png; do
    rm -f "$work"/*.bmp "$work"/*.png "$work"/*.bpw "$work"/*.pgw "$work"/*.prj "$work"/*.aux.xml
    # Each contender starts with the disk idle, not writing back the
    # gigabytes the one before it left in the page cache.
    sync
    start=$(now)
    /usr/bin/time -f "%M" -o "$work/rss" "$render" area -180 88 180 -88 --step 1 --scheme "$scheme" --mode "$mode" \
      --data "$data" -o "$work/tarvelon.$format" > "$work/render.out" 2> /dev/null
    keep "render-$format" "$(since "$start")"
    [ "$(tail -1 "$work/rss")" -gt "$rss_max" ] && rss_max=$(tail -1 "$work/rss")
    size=$(stat -c %s "$work/tarvelon.$format")
    rm -f "$work/tarvelon.$format"

    sync
    start=$(now)
    gdaldem color-relief -q -of "${format^^}" "$work/mars.vrt" "$work/colours.txt" "$work/gdal.$format"
    keep "gdal-$format" "$(since "$start")"
    gsize=$(stat -c %s "$work/gdal.$format")
    rm -f "$work/gdal.$format"

    # The floor: reading the sixteen tiles and writing as many bytes as
    # tarvelon-render wrote.
    sync
    start=$(now)
    cat "$data"/megt*.img > /dev/null
    dd if=/dev/zero of="$work/dd.$format" bs=8M count=$(((size + 8388607) / 8388608)) status=none
    keep "io-$format" "$(since "$start")"
    rm -f "$work/dd.$format"
    echo "run $i $format: tarvelon-render $size bytes, gdaldem $gsize bytes" >&2
  done
done

m() { printf '%s\n' ${t[$1]} | median; }
echo "data: $data"
sed -n 2p "$work/render.out"
echo "runs: $runs of each, in turn; medians (all runs in brackets)"
for format in bmp png; do
  echo "  tarvelon-render area -180 88 180 -88 --step 1 -> ${format^^}   $(m render-$format) s   (${t[render-$format]})"
  echo "  gdaldem color-relief over the VRT -> ${format^^}             $(m gdal-$format) s   (${t[gdal-$format]})"
  echo "  cat tiles + dd of tarvelon-render's ${format^^} size               $(m io-$format) s   (${t[io-$format]})"
  awk -v r="$(m render-$format)" -v g="$(m gdal-$format)" -v io="$(m io-$format)" -v f="${format^^}" \
    'BEGIN { printf "  gdaldem / tarvelon-render, %s                          %.1f   (aim: at least 5)\n", f, g / r
             printf "  tarvelon-render / (read + write), %s                   %.2f\n", f, r / io }'
done
echo "  peak resident set of tarvelon-render                      $((rss_max / 1024)) MB   (goal: below 64 MB)"
echo "  load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
