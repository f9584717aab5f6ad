#!/usr/bin/env bash
# Each option control is named on at most three lines under src/: its field of the record, its
# row of the option table and its layout row. The two dependent groups add their handlers'.
set -euo pipefail
src=$1
dependent=" vidreson vidresx vidresy vgafreqe vgafreq0 vgafreq1 vgafreq2 vgafreq3 "
status=0
for name in $(sed -n 's/^ *{KESTRO_BOUND(\([A-Za-z0-9_]*\)).*/\1/p' "$src/ui/layout.h"); do
  [[ $dependent == *" $name "* ]] && continue
  lines=$(grep -rw -- "$name" "$src" | wc -l)
  if ((lines > 3)); then
    echo "$name is named on $lines lines:"
    grep -rnw -- "$name" "$src"
    status=1
  fi
done
exit $status
