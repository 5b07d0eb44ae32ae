#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when something is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ clang libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
      xvfb xauth ccache desktop-file-utils appstream man-db)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "Strovan needs these packages, which are not installed: ${missing[*]}" >&2
    echo "You are not root and sudo is not available. Ask an administrator to run, as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    echo "then run this script again." >&2
    exit 1
  fi
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
