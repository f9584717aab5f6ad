# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the start-up benchmarks after they set `probe`: a temporary folder `work`, removed
# at exit with every program started into `pids`; an X display of our own with a system tray,
# so Kestro finds one as on a desktop; and the surroundings a user's programs see.
# shellcheck shell=bash

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, and a tray on it so Kestro finds one as on a desktop.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
"$probe" --wait-for-tray || { echo "the tray did not start" >&2; exit 1; }

# The programs see the desktop as a user's would: the X platform, a home of their own.
unset QT_QPA_PLATFORM
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
