#!/bin/sh
# The main job: install what is missing, build, and open the editor in the
# host (the session installs the data folder), connected to the simulated
# Zelto 2 when no other one is attached.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
echo "Plug-in bundle: $root/build/Zelto2X Editor.component"
exec "$root/scripts/editor-session.sh" "$root/build"
