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
# Sessions started at once install into one folder: each file is written under
# a name of this run's own and then put in place whole, so neither a second
# install nor an editor reading meanwhile meets a half-written file.
settings="$data/Zelto2X Editor UI.txt"
if [ ! -e "$settings" ]; then
    # Colour scheme, size, first-run notice seen, two lines kept for later use.
    printf 'normal\nnormal\nno\n\n' > "$settings.$$"
    # A link fails where the file exists: settings a user has meanwhile stay.
    ln "$settings.$$" "$settings" 2>/dev/null || true
    rm -f "$settings.$$"
fi
manual="$build/Marnvik-Zelto2X-User-Manual-v101.pdf"
if [ -f "$manual" ]; then
    cp "$manual" "$data/.manual.$$"
    mv -f "$data/.manual.$$" "$data/Marnvik-Zelto2X-User-Manual-v101.pdf"
fi
echo "Data folder: $data"
