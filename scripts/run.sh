#!/bin/sh
# The main job: install what is missing, build, and start the editor in the host.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
"$root/scripts/install-data.sh" "$root/build"
echo "Plug-in bundle: $root/build/Zelto2X Editor.component"
if [ -x "$root/build/host/zelto2x-host" ]; then
  exec "$root/build/host/zelto2x-host" --window "$root/build/Zelto2X Editor.component" "$@"
fi
