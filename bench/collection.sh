#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kestro on large game collections, under Xvfb with a system tray: started in a folder of N
# sub-folders (its folder lists open there, as when a user's ROMS folder holds N games), timed
# from exec to the mapping of its window, with its peak memory, median of RUNS starts for each
# N; then the opening of a folder of 50,000 sub-folders from the ROM folder list, median of
# OPENS openings. The folders are made once, on the first run, under COLLECTIONS.
#
#   bench/collection.sh [BUILD_FOLDER]      (default: build; run `make build` first)
#   RUNS=5 OPENS=9 SIZES="0 1000 10000 50000 100000" SETTLE_MS=300 KESTRO=BUILD_FOLDER/kestro
#   OPENPROBE=BUILD_FOLDER/bench/kestro_openprobe COLLECTIONS=/tmp/kestro-collections
set -euo pipefail

build=${1:-build}
runs=${RUNS:-5}
opens=${OPENS:-9}
sizes=${SIZES:-0 1000 10000 50000 100000}
settle_ms=${SETTLE_MS:-300}
caption="Kestro 9x"
probe=$(realpath "$build/bench/kestro_startprobe")
kestro=$(realpath "${KESTRO:-$build/kestro}")  # another build of Kestro may be compared
openprobe=$(realpath "${OPENPROBE:-$build/bench/kestro_openprobe}")
collections=${COLLECTIONS:-/tmp/kestro-collections}
for program in "$probe" "$kestro" "$openprobe" /usr/bin/Xvfb /usr/bin/trayer; do
  [[ -x $program ]] || { echo "missing: $program (tools/setup-deps, then make build)" >&2; exit 1; }
done

# A folder holding ROMS, which holds N game folders named in both cases and out of order
# (7919 is prime, so each number is taken once).
make_collection() {
  local count=$1 folder=$collections/$1/ROMS
  [[ -f $collections/$1/.made ]] && return
  rm -rf "${collections:?}/$count"
  mkdir -p "$folder"
  if ((count > 0)); then
    (cd "$folder" && awk -v n="$count" 'BEGIN {
      for (i = 0; i < n; i++) printf "%s%d\n", (i % 2 ? "rom" : "Rom"), (i * 7919) % n }' |
      xargs mkdir)
  fi
  touch "$collections/$1/.made"
}
for size in $sizes 50000; do make_collection "$size"; done

# A desktop of our own for the measured programs: an X display with a tray on it.
source "$(dirname "$0")/desktop.sh"

median() {
  sort -g -k"$2","$2" "$1" | awk -v column="$2" '{ v[NR] = $column }
    END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "Kestro started in a folder of N sub-folders, median of $runs starts each:"
printf "  %11s  %10s  %11s  %12s\n" "sub-folders" "to window" "peak memory" "processor"
for size in $sizes; do
  # One start first, unmeasured, so each size finds a warm file cache.
  (cd "$collections/$size/ROMS" && "$probe" "$caption" 0 "$kestro" >/dev/null)
  : >"$work/starts"
  for _ in $(seq "$runs"); do
    (cd "$collections/$size/ROMS" && "$probe" "$caption" "$settle_ms" "$kestro") >>"$work/starts"
  done
  awk -v n="$size" -v ms="$(median "$work/starts" 1)" -v kib="$(median "$work/starts" 2)" \
    -v cpu="$(median "$work/starts" 3)" \
    'BEGIN { printf "  %11d  %7.1f ms  %7.1f MiB  %9.1f ms\n", n, ms, kib / 1024, cpu }'
done
read -r open_ms open_max open_cpu < <("$openprobe" "$collections/50000" "$opens" 2>/dev/null)
echo "Opening a folder of 50,000 sub-folders from the list: $open_ms ms, processor $open_cpu ms" \
  "(median of $opens; slowest $open_max ms)"
echo "  (load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg))"
