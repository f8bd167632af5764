#!/usr/bin/env bash
# Installs the system packages listed in scripts/packages.txt that are not yet
# installed. Uses apt-get directly as root, or through sudo otherwise.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for p in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
    echo "All system packages present."
    exit 0
fi
echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    sudo_cmd=()
elif command -v sudo >/dev/null; then
    sudo_cmd=(sudo)
else
    echo "error: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q || true
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
