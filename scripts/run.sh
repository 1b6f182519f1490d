#!/usr/bin/env bash
# Builds Tarvelon, makes a demo data set if there is none, and starts the
# program on it (or, without a display, draws maps from it into files).
#
#   scripts/run.sh [GLOBAL.img]
#
# The demo tiles are interpolated from a global MOLA grid: GLOBAL.img if
# given, else ../shared/mola/megt90n000cb.img beside the project when it is
# there; without one they hold a synthetic planet. They take 2.1 GB in
# demo/data (set TARVELON_DEMO_DATA to put them elsewhere) and are reused.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release

bin="$root/build/release"
render="$bin/tools/tarvelon-render"
data="${TARVELON_DEMO_DATA:-$root/demo/data}"
global="${1:-$root/../shared/mola/megt90n000cb.img}"

have_tiles() {
  local count
  count=$(find "$data" -maxdepth 1 -name 'megt*.img' -size 129761280c 2>/dev/null | wc -l)
  [ "$count" -eq 16 ]
}

if have_tiles; then
  echo "Using the demo data set in $data"
  [ -f "$data/README.txt" ] && sed -n 3p "$data/README.txt"
elif [ -f "$global" ]; then
  echo "Making the demo data set from the MOLA grid $global"
  "$render" make-data --out "$data" --from "$global"
else
  echo "No global MOLA grid found ($global): making a SYNTHETIC demo planet"
  "$render" make-data --out "$data"
fi

# The program keeps its settings in the folder it starts in.
home="$root/demo"
mkdir -p "$home"
if [ ! -f "$home/megdr128.cfg" ]; then
  printf '%s\r\n1\r\n1\r\n' "$data" > "$home/megdr128.cfg"
fi

app="$bin/app/tarvelon"
if [ -x "$app" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  echo "Starting Tarvelon (settings in $home/megdr128.cfg)"
  cd "$home"
  exec "$app"
fi

[ -x "$app" ] && echo "No display: drawing maps with tarvelon-render instead of opening the window."
if "$render" --help | grep -q '^  tile'; then
  maps="$root/demo/maps"
  mkdir -p "$maps"
  "$render" tile 6 --step 4 --data "$data" -o "$maps/tile-06-chryse.png"
  "$render" area -150 30 -120 2 --data "$data" -o "$maps/olympus-mons.png"
  "$render" area -90 0 -30 -20 --scheme 5 --data "$data" -o "$maps/valles-marineris.png"
  echo "Maps written to $maps"
else
  "$render" palette --scheme 1 --mode 1 | sed -n '1p;8201p;29451p'
  echo "The demo data set is ready in $data"
fi
