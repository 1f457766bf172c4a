#!/bin/sh
# Adds Kestrova's "Open Windows Link" and "Copy Windows Path" for the current user to
# the file managers that read such actions only from the user's own folders: Nautilus
# scripts (without the nautilus-python extension) and Thunar custom actions. Nemo and
# Dolphin need nothing: they read the actions installed for every user.
# Safe to run again; it changes nothing that is already there.
set -eu
here=$(dirname "$(readlink -f "$0")")

scripts=${XDG_DATA_HOME:-$HOME/.local/share}/nautilus/scripts
mkdir -p "$scripts"
ln -sfn "$here/nautilus/open-windows-link.sh" "$scripts/Open Windows Link"
ln -sfn "$here/nautilus/copy-windows-path.sh" "$scripts/Copy Windows Path"
echo "Nautilus: scripts linked in $scripts"

uca=${XDG_CONFIG_HOME:-$HOME/.config}/Thunar/uca.xml
if [ ! -e "$uca" ]; then
    mkdir -p "$(dirname "$uca")"
    seed=
    for dir in $(printf '%s' "${XDG_CONFIG_DIRS:-/etc/xdg}" | tr ':' ' '); do
        if [ -z "$seed" ] && [ -f "$dir/Thunar/uca.xml" ]; then seed=$dir/Thunar/uca.xml; fi
    done
    if [ -n "$seed" ]; then cp "$seed" "$uca"; else printf '<?xml version="1.0" encoding="UTF-8"?>\n<actions>\n</actions>\n' > "$uca"; fi
fi
if grep -q 'kestrova-open-windows-link' "$uca"; then
    echo "Thunar: the actions are already in $uca"
    exit 0
fi
# Our <action> elements go before the last </actions> of the user's file.
awk -v ours="$here/thunar/uca.xml" '
    { lines[NR] = $0; if ($0 ~ /<\/actions>/) last = NR }
    END {
        for (i = 1; i <= NR; i++) {
            if (i == last) {
                inside = 0
                while ((getline line < ours) > 0) {
                    if (line ~ /<action>/) inside = 1
                    if (inside) print line
                    if (line ~ /<\/action>/) inside = 0
                }
            }
            print lines[i]
        }
    }' "$uca" > "$uca.kestrova-new"
mv "$uca.kestrova-new" "$uca"
echo "Thunar: actions added to $uca (they appear after Thunar restarts: thunar -q)"
