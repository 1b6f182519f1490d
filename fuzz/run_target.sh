#!/usr/bin/env bash
# Runs one fuzz target for a bounded time:
#   run_target.sh BINARY SECONDS FOUND_CORPUS SEED_CORPUS ARTIFACTS
# New inputs go to FOUND_CORPUS; an input that fails is kept in ARTIFACTS
# and can be replayed with "BINARY FILE".
set -euo pipefail
binary="$1" seconds="$2" found="$3" seeds="$4" artifacts="$5"
mkdir -p "$found" "$artifacts"
# The targets' scratch files go to a folder of the run's own.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
TMPDIR="$scratch" "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts/$(basename "$binary")-" "$found" "$seeds"
