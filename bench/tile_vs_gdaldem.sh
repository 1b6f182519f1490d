#!/usr/bin/env bash
# Times a whole tile at 100 % to BMP: tarvelon-render against gdaldem
# color-relief with the same colours, and against just reading the tile and
# writing as many bytes as the bitmap has.
#
#   bench/tile_vs_gdaldem.sh [TILE_FILE | DATA_FOLDER [RUNS]]
#
# The tile is menu tile 10 (Vallis Marineris, megt00n270hb.img) of
# DATA_FOLDER, or TILE_FILE (any full-size tile, 129,761,280 bytes). With
# neither, the script first makes the sixteen tiles from the 4-per-degree
# global grid that ships in assets/mola/megt90n000cb.img
# (tarvelon-render make-data --from, 2.1 GB in a temporary folder). Each
# timing is the best of RUNS runs (default 5), taken in turn, with the tile
# in the page cache. Needs gdal-bin and /usr/bin/time (scripts/setup.sh
# installs both) and a release build (scripts/build.sh release).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TARVELON_BUILD:-$root/build/release}"
render="$build/tools/tarvelon-render"
runs="${2:-5}"
scheme=1
mode=1

[ -x "$render" ] || { echo "no $render: run scripts/build.sh release first" >&2; exit 1; }
command -v gdaldem > /dev/null || { echo "gdaldem is missing (Debian gdal-bin)" >&2; exit 1; }
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

# The same tile for GDAL: raw big-endian int16 behind an ENVI header.
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

# Seconds of the best run, and the largest resident set (KB) of any run.
best() { sort -g | head -1; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
now() { date +%s.%N; }

cat "$tile" > /dev/null
t_render=()
t_gdal=()
t_io=()
rss_render=0
for ((i = 1; i <= runs; i++)); do
  rm -f "$work/tarvelon.bmp" "$work/gdal.bmp" "$work/dd.bmp"
  start=$(now)
  /usr/bin/time -f "%M" -o "$work/rss" "$render" tile 10 --step 1 --scheme "$scheme" --mode "$mode" \
    --data "$work/data" -o "$work/tarvelon.bmp" > "$work/render.out" 2> /dev/null
  t_render+=("$(seconds "$start" "$(now)")")
  rss=$(tail -1 "$work/rss")
  [ "$rss" -gt "$rss_render" ] && rss_render=$rss

  start=$(now)
  gdaldem color-relief -q -of BMP "$work/gdal-tile.img" "$work/colours.txt" "$work/gdal.bmp"
  t_gdal+=("$(seconds "$start" "$(now)")")

  bytes=$(stat -c %s "$work/tarvelon.bmp")
  start=$(now)
  cat "$tile" > /dev/null
  dd if=/dev/zero of="$work/dd.bmp" bs=1M count=$(((bytes + 1048575) / 1048576)) status=none
  t_io+=("$(seconds "$start" "$(now)")")
done

render_s=$(printf '%s\n' "${t_render[@]}" | best)
gdal_s=$(printf '%s\n' "${t_gdal[@]}" | best)
io_s=$(printf '%s\n' "${t_io[@]}" | best)

echo "tile: $tile"
sed -n 2p "$work/render.out"
echo "runs: $runs, best of each"
echo "  tarvelon-render tile 10 --step 1 -> BMP  ${render_s} s   (all: ${t_render[*]})"
echo "  gdaldem color-relief -of BMP          ${gdal_s} s   (all: ${t_gdal[*]})"
echo "  cat tile + dd of the BMP's size       ${io_s} s   (all: ${t_io[*]})"
awk -v r="$render_s" -v g="$gdal_s" -v io="$io_s" 'BEGIN {
  printf "  gdaldem / tarvelon-render            %.1f   (goal: at least 5)\n", g / r
  printf "  tarvelon-render / (read + write)     %.1f   (goal: at most 3)\n", r / io
}'
echo "  peak resident set of tarvelon-render  $((rss_render / 1024)) MB   (goal: below 450 MB)"
