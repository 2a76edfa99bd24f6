#!/usr/bin/env bash
# Gives the GUI tests' Wine prefix what the safety tests need and a Windows program cannot make
# under Wine: a game folder holding a Unix link to a folder outside it (C:\quill-safety), and a
# drive R: of 48 MB, a tmpfs, that passes the install's space check but fills during the copy.
# "make" sets both up, "clear" takes them away. Mounting needs root: without it there is no drive
# R: and the test that wants one skips. Never fails, so that the other GUI tests always run.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
quill_wine_env

tree="$WINEPREFIX/drive_c/quill-safety"
drive="$WINEPREFIX/dosdevices/r:"
mount_point="$WINEPREFIX.filling-drive"

clear() {
    # rm never follows the link, so the outside folder goes only as itself.
    rm -rf "$tree"
    rm -f "$drive"
    mountpoint -q "$mount_point" 2>/dev/null && umount "$mount_point"
    rmdir "$mount_point" 2>/dev/null
}

case "${1:-}" in
    make)
        clear
        mkdir -p "$tree/outside" "$tree/game"
        echo "not the game's" >"$tree/outside/keep.txt"
        ln -s "$tree/outside" "$tree/game/linked"
        if [ "$(id -u)" -eq 0 ]; then
            mkdir -p "$mount_point"
            if mount -t tmpfs -o size=48m tmpfs "$mount_point"; then
                ln -sfn "$mount_point" "$drive"
            else
                quill_say "cannot mount a tmpfs: no drive R: for the filling-drive test"
            fi
        else
            quill_say "not root: no drive R: for the filling-drive test"
        fi
        ;;
    clear) clear ;;
    *) echo "usage: $0 make|clear" >&2 ;;
esac
exit 0
