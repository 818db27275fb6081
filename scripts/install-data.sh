#!/bin/sh
# What an installer of the editor does: creates the data folder with its library
# folder "Patches", a default UI settings file (first-run notice on) when there
# is none, and puts the user manual from the build tree BUILD (default: build)
# into it. The editor gives an empty library its first bank when it starts.
# Data folder: $ZELTO2X_DATA_FOLDER, else ${XDG_DATA_HOME:-~/.local/share}/Vantorel/Marnvik Zelto2X Editor/.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
data="${ZELTO2X_DATA_FOLDER:-${XDG_DATA_HOME:-${HOME:-.}/.local/share}/Vantorel/Marnvik Zelto2X Editor/}"
mkdir -p "$data/Patches" 2>/dev/null || {
    echo "Cannot create the library folder $data/Patches: check the rights of the folders above it" >&2
    exit 1
}
settings="$data/Zelto2X Editor UI.txt"
# Colour scheme, size, first-run notice seen, two lines kept for later use.
[ -e "$settings" ] || printf 'normal\nnormal\nno\n\n' > "$settings"
manual="$build/Marnvik-Zelto2X-User-Manual-v101.pdf"
[ -f "$manual" ] && cp "$manual" "$data/"
echo "Data folder: $data"
