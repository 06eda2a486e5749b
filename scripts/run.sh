#!/usr/bin/env bash
# Builds the optimised programs, installs the portable program folder into
# ~/Inkwright (or the folder INKWRIGHT_HOME names) and starts InkwrightPlus
# from there; `run.sh basic` starts the basic edition, Inkwright. Installing
# never touches products/ and writes a template only where none exists, so the
# user's own files survive every rebuild.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/deps.sh "${BUILD_PACKAGES[@]}"
home=${INKWRIGHT_HOME:-$HOME/Inkwright}
cmake --preset release >/dev/null
cmake --build --preset release --target InkwrightPlus Inkwright inkwright-batch inkwright-write
cmake --install build/release --prefix "$home" >/dev/null
program=InkwrightPlus
[ "${1:-}" = basic ] && program=Inkwright
echo "Starting $home/$program"
exec "$home/$program"
