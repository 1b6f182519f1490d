#!/usr/bin/env bash
# Times a whole tile at 100 % to BMP: tarvelon-render against gdaldem
# color-relief with the same colours and against just reading the tile and
# writing as many bytes as the bitmap has; then with relief shading against
# gdaldem hillshade + color-relief + a multiply composite (ImageMagick).
#
#   bench/tile_vs_gdaldem.sh [TILE_FILE | DATA_FOLDER [RUNS]]
#
# The tile is menu tile 10 (Valles Marineris, megt00n270hb.img) of
# DATA_FOLDER, or TILE_FILE (any full-size tile, 129,761,280 bytes). With
# neither, the script first makes the sixteen tiles from the 4-per-degree
# global grid assets/mola/megt90n000cb.img (tarvelon-render make-data
# --from, 2.1 GB in a temporary folder). Each contender runs RUNS times
# (default 7), in turn with the others, so that all meet the same load;
# the figures are medians, with the tile in the page cache. Needs gdal-bin,
# imagemagick and /usr/bin/time (scripts/setup.sh installs them) and a
# release build (scripts/build.sh release).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVELON_BUILD:-$root/build/release}"
render="$build/tools/tarvelon-render"
runs="${2:-7}"
scheme=1
mode=1

[ -x "$render" ] || { echo "no $render: run scripts/build.sh release first" >&2; exit 1; }
command -v gdaldem > /dev/null || { echo "gdaldem is missing (Debian gdal-bin)" >&2; exit 1; }
command -v convert > /dev/null || { echo "convert is missing (Debian imagemagick)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (Debian time)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvelon-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source="${1:-}"
if [ -z "$source" ]; then
  grid="$root/assets/mola/megt90n000cb.img"
  [ -f "$grid" ] || { echo "give a tile file or data folder: $grid is not there to make one from" >&2; exit 1; }
  "$render" make-data --out "$work/made" --from "$grid" > /dev/null
  source="$work/made"
fi
if [ -d "$source" ]; then
  tile="$source/megt00n270hb.img"
else
  tile="$source"
fi
tile="$(cd "$(dirname "$tile")" && pwd)/$(basename "$tile")"
[ "$(stat -L -c %s "$tile" 2> /dev/null)" = 129761280 ] || { echo "$tile is not a full-size tile" >&2; exit 1; }

# A data folder of sixteen names in which the bench tile is tile 10
# (00n, 270); the other fifteen are empty and never read.
mkdir "$work/data"
for latitude in 00n 44n 44s 88n; do
  for longitude in 000 090 180 270; do : > "$work/data/megt${latitude}${longitude}hb.img"; done
done
ln -sf "$tile" "$work/data/megt00n270hb.img"

# The same tile for GDAL: raw big-endian int16 behind an ENVI header, one
# unit a pixel; gdaldem hillshade's scale then makes a pixel the 463 m of
# a sample on the Mars equator.
ln -s "$tile" "$work/gdal-tile.img"
cat > "$work/gdal-tile.hdr" <<'EOF'
ENVI
samples = 11520
lines = 5632
bands = 1
header offset = 0
file type = ENVI Standard
data type = 2
interleave = bsq
byte order = 1
EOF
"$render" palette --scheme "$scheme" --mode "$mode" --format gdal -o "$work/colours.txt"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
rss_of() { tail -1 "$work/rss" | cut -d' ' -f1; }
cpu_of() { tail -1 "$work/rss" | awk '{ printf "%.2f", $2 + $3 }'; }

cat "$tile" > /dev/null
declare -A t
rss_max=0
keep() { t[$1]+="$2 "; }
for ((i = 1; i <= runs; i++)); do
  rm -f "$work"/*.bmp "$work"/*.tif "$work"/*.bpw "$work"/*.prj

  start=$(now)
  /usr/bin/time -f "%M %U %S" -o "$work/rss" "$render" tile 10 --step 1 --scheme "$scheme" --mode "$mode" \
    --data "$work/data" -o "$work/tarvelon.bmp" > "$work/render.out" 2> /dev/null
  keep render "$(since "$start")"
  keep render-cpu "$(cpu_of)"
  [ "$(rss_of)" -gt "$rss_max" ] && rss_max=$(rss_of)

  start=$(now)
  gdaldem color-relief -q -of BMP "$work/gdal-tile.img" "$work/colours.txt" "$work/gdal.bmp"
  keep gdal "$(since "$start")"

  bytes=$(stat -c %s "$work/tarvelon.bmp")
  start=$(now)
  cat "$tile" > /dev/null
  dd if=/dev/zero of="$work/dd.bmp" bs=1M count=$(((bytes + 1048575) / 1048576)) status=none
  keep io "$(since "$start")"

  start=$(now)
  /usr/bin/time -f "%M %U %S" -o "$work/rss" "$render" tile 10 --step 1 --scheme "$scheme" --mode "$mode" \
    --hillshade --data "$work/data" -o "$work/shaded.bmp" > /dev/null 2> /dev/null
  keep shaded "$(since "$start")"
  keep shaded-cpu "$(cpu_of)"
  [ "$(rss_of)" -gt "$rss_max" ] && rss_max=$(rss_of)

  start=$(now)
  gdaldem hillshade -q -s 463.1 -az 315 -alt 45 "$work/gdal-tile.img" "$work/gdal-shade.tif"
  gdaldem color-relief -q "$work/gdal-tile.img" "$work/colours.txt" "$work/gdal-colour.tif"
  convert -quiet "$work/gdal-colour.tif" "$work/gdal-shade.tif" -compose multiply -composite "$work/gdal-shaded.bmp"
  keep gdalshade "$(since "$start")"
done

m() { printf '%s\n' ${t[$1]} | median; }
render_s=$(m render); gdal_s=$(m gdal); io_s=$(m io); shaded_s=$(m shaded); gdalshade_s=$(m gdalshade)
echo "tile: $tile"
sed -n 2p "$work/render.out"
echo "runs: $runs of each, in turn; medians (all runs in brackets)"
echo "  tarvelon-render tile 10 --step 1 -> BMP             ${render_s} s   (${t[render]})"
echo "  gdaldem color-relief -of BMP                        ${gdal_s} s   (${t[gdal]})"
echo "  cat tile + dd of the BMP's size                     ${io_s} s   (${t[io]})"
echo "  tarvelon-render ... --hillshade -> BMP              ${shaded_s} s   (${t[shaded]})"
echo "  gdaldem hillshade + color-relief + convert multiply ${gdalshade_s} s   (${t[gdalshade]})"
echo "  processor time (user + system) of the two renders      $(m render-cpu) s and $(m shaded-cpu) s"
awk -v r="$render_s" -v g="$gdal_s" -v io="$io_s" -v s="$shaded_s" -v gs="$gdalshade_s" \
  -v rc="$(m render-cpu)" -v sc="$(m shaded-cpu)" 'BEGIN {
  printf "  gdaldem / tarvelon-render                          %.1f   (goal: at least 8)\n", g / r
  printf "  tarvelon-render / (read + write)                   %.2f   (goal: at most 1.5)\n", r / io
  printf "  shaded / plain                                     %.2f   (goal: at most 1.5)\n", s / r
  printf "  shaded / plain, processor time                     %.2f\n", sc / rc
  printf "  gdal shading pipeline / tarvelon-render shaded     %.1f   (goal: at least 5)\n", gs / s
}'
echo "  peak resident set of tarvelon-render                $((rss_max / 1024)) MB   (goal: below 64 MB)"
echo "  load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
