#!/usr/bin/env bash
# Takes the README's picture of the desktop desk: zvemul-desk under Xvfb in a
# fresh profile with the sample highlighting rules, an availability request
# typed and answered by the demo host, the window saved as a PNG.
#   scripts/desk-screenshot.sh [OUT.png]   (default docs/images/zvemul-desk.png)
# Needs a build (./zv build) and the packages of scripts/setup.sh.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$here/docs/images/zvemul-desk.png}")"
desk="$here/build/apps/zvemul-desk/zvemul-desk"
register="$here/build/apps/zvemul-register/zvemul-register"
[ -x "$desk" ] && [ -x "$register" ] || { echo "desk-screenshot: build first (./zv build)" >&2; exit 1; }

profile="$(mktemp -d)"
trap 'rm -rf "$profile"' EXIT
export HOME="$profile/home" XDG_CONFIG_HOME="$profile/config" XDG_STATE_HOME="$profile/state"
export ZVEMUL_LOGFILE="$profile/logfile.log" ZVEMUL_PRINT_DIR="$profile/prints"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/zvemul/highlighting/office" "$XDG_CONFIG_HOME/zvemul/highlighting/personal"
cp "$here/components/vexmoor_rules/samples/"*.xml "$XDG_CONFIG_HOME/zvemul/highlighting/office/"
"$register" >/dev/null
mkdir -p "$(dirname "$out")"

# Inside the virtual display: start the desk, wait for its window, type as
# an agent would, give the host its time, and save the window.
export DESK="$desk" OUT="$out"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -euo pipefail
  "$DESK" --latency 100 &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  window="$(xdotool search --sync --onlyvisible --name "^ZVEmul$" | head -n 1)"
  sleep 1
  xdotool windowfocus --sync "$window"
  xdotool type --delay 40 "a10junlonpar"
  xdotool key Return
  sleep 1.5
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$OUT"
'
echo "desk-screenshot: $out"
