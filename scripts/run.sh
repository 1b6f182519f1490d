#!/usr/bin/env bash
# Builds Tarvelon, makes a demo data set if there is none, and starts the
# program on it (or, without a display, draws maps from it into files).
#
#   scripts/run.sh [GLOBAL.img]
#
# The demo tiles are real Mars, interpolated from the global 4-per-degree
# MOLA grid that ships in assets/mola (or from GLOBAL.img, a global MEGDR
# grid of 4, 16, 32 or 64 samples per degree). They take 2.1 GB in
# demo/data (set TARVELON_DEMO_DATA to put them elsewhere) and are reused.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release

bin="$root/build/release"
render="$bin/tools/tarvelon-render"
data="${TARVELON_DEMO_DATA:-$root/demo/data}"
global="${1:-$root/assets/mola/megt90n000cb.img}"

have_tiles() {
  local count
  count=$(find "$data" -maxdepth 1 -name 'megt*.img' -size 129761280c 2>/dev/null | wc -l)
  [ "$count" -eq 16 ]
}

# A set made by an older Tarvelon may hold its synthetic planet: it is
# made again from real data.
if have_tiles && ! grep -qs SYNTHETIC "$data/README.txt"; then
  echo "Using the demo data set in $data"
  [ -f "$data/README.txt" ] && sed -n 3p "$data/README.txt"
else
  if [ ! -f "$global" ]; then
    echo "The global MOLA grid $global is missing: give one, scripts/run.sh GLOBAL.img" >&2
    exit 1
  fi
  echo "Making the demo data set in $data from the MOLA grid $global (2.1 GB)"
  "$render" make-data --out "$data" --from "$global"
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
maps="$root/demo/maps"
mkdir -p "$maps"
"$render" tile 6 --step 4 --data "$data" -o "$maps/tile-06-chryse.png"
"$render" feature "Olympus Mons" --data "$data" -o "$maps/olympus-mons.png"
"$render" feature "Valles Marineris" --scheme 5 --data "$data" -o "$maps/valles-marineris.png"
"$render" feature Gale --data "$data" -o "$maps/gale.png"
echo "Maps written to $maps"
