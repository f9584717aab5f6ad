#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each control the layout binds and each field the option table names appears on at most three
# lines under src/: its field of the record, its option table row and its layout row. The
# executable's name is no control: the launch reads it wherever it needs it.
set -euo pipefail
src=$1
names=$(
  sed -n 's/^ *{KESTRO_BOUND(\([A-Za-z0-9_]*\)).*/\1/p' "$src/ui/layout.h"
  grep -v 'Executable{' "$src/core/options.h" | grep -o '&O::[A-Za-z0-9_]*' | sed 's/&O:://'
)
status=0
for name in $(sort -u <<<"$names"); do
  if (($(grep -rw -- "$name" "$src" | wc -l) > 3)); then
    grep -rnw -- "$name" "$src"
    status=1
  fi
done
exit $status
