#!/usr/bin/env bash
# Installs the Debian packages that ZVEmul builds and tests with.
# Idempotent: only missing packages are installed. Works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libboost-regex-dev libpugixml-dev nlohmann-json3-dev libcli11-dev
  libncurses-dev libfontconfig-dev libcairo2-dev libcups2-dev poppler-utils
  fonts-liberation fontconfig
  tmux pandoc ccache
  clang libclang-rt-dev libvterm-dev
  qt6-base-dev qt6-qpa-plugins xvfb xauth xdotool x11-apps netpbm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  run_root=()
elif command -v sudo >/dev/null 2>&1; then
  run_root=(sudo)
else
  echo "setup: these packages are missing and I am not root (and there is no sudo): ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${run_root[@]}" apt-get update -qq
"${run_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
