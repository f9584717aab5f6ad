#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kestro's start against an empty Qt 6 window of the same size and caption, under Xvfb with
# a system tray: each program is started RUNS times, alternating, and timed from its exec to
# the mapping of its window, with the processor time it used until then; the peak memory is
# read once its start has settled. Prints the medians and their ratios.
#
#   bench/startup.sh [BUILD_FOLDER]      (default: build; run `make build` first)
#   RUNS=20 SETTLE_MS=300 KESTRO=BUILD_FOLDER/kestro   (the defaults)
#   OTHER=path/to/another/kestro   also starts another build, in turn with the two, so that two
#                                  builds are compared in one sitting
set -euo pipefail

build=${1:-build}
runs=${RUNS:-20}
settle_ms=${SETTLE_MS:-300}
caption="Kestro 9x"
probe=$build/bench/kestro_startprobe
kestro=${KESTRO:-$build/kestro}  # another build of Kestro may be compared
empty=$build/bench/kestro_emptywindow
other=${OTHER:-}
for program in "$probe" "$kestro" "$empty" ${other:+"$other"} /usr/bin/Xvfb /usr/bin/trayer; do
  [[ -x $program ]] || { echo "missing: $program (tools/setup-deps, then make build)" >&2; exit 1; }
done

# A desktop of our own for the measured programs: an X display with a tray on it.
source "$(dirname "$0")/desktop.sh"

# One start of each first, unmeasured, so both find the same warm file cache.
"$probe" "$caption" 0 "$kestro" >/dev/null
"$probe" "$caption" 0 "$empty" >/dev/null
[[ -z $other ]] || "$probe" "$caption" 0 "$other" >/dev/null
: >"$work/kestro"
: >"$work/empty"
: >"$work/other"
for _ in $(seq "$runs"); do
  "$probe" "$caption" "$settle_ms" "$kestro" >>"$work/kestro"
  "$probe" "$caption" "$settle_ms" "$empty" >>"$work/empty"
  [[ -z $other ]] || "$probe" "$caption" "$settle_ms" "$other" >>"$work/other"
done

# The median of one column of a file of numbers.
median() {
  sort -g -k"$2","$2" "$1" | awk -v column="$2" '{ v[NR] = $column }
    END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
kestro_ms=$(median "$work/kestro" 1)
empty_ms=$(median "$work/empty" 1)
kestro_kib=$(median "$work/kestro" 2)
empty_kib=$(median "$work/empty" 2)
kestro_cpu=$(median "$work/kestro" 3)
empty_cpu=$(median "$work/empty" 3)
other_ms=0 other_kib=0 other_cpu=0
if [[ -n $other ]]; then
  other_ms=$(median "$work/other" 1)
  other_kib=$(median "$work/other" 2)
  other_cpu=$(median "$work/other" 3)
fi
awk -v runs="$runs" -v km="$kestro_ms" -v em="$empty_ms" -v kk="$kestro_kib" -v ek="$empty_kib" \
  -v kc="$kestro_cpu" -v ec="$empty_cpu" -v om="$other_ms" -v ok="$other_kib" -v oc="$other_cpu" '
  BEGIN {
    printf "Start to first window, median of %d runs each:\n", runs
    printf "                to window    peak memory   processor time to window\n"
    printf "  Kestro        %7.1f ms  %6.1f MiB      %6.1f ms\n", km, kk / 1024, kc
    printf "  empty window  %7.1f ms  %6.1f MiB      %6.1f ms\n", em, ek / 1024, ec
    printf "  ratio         %7.2f     %+6.1f MiB      %6.2f\n", km / em, (kk - ek) / 1024, kc / ec
    if (om > 0) {
      printf "  other Kestro  %7.1f ms  %6.1f MiB      %6.1f ms\n", om, ok / 1024, oc
      printf "  its ratio     %7.2f     %+6.1f MiB      %6.2f\n", om / em, (ok - ek) / 1024, oc / ec
    }
  }'
echo "  (load average while measuring: $(cut -d' ' -f1-3 /proc/loadavg))"
