#!/usr/bin/env bash
# Gives the GUI tests' Wine prefix a drive Q: of 20 MB, a tmpfs, so that a test can watch the
# disk-space check refuse an install; "mount" makes it, "unmount" takes it away again. Mounting
# needs root: without it there is no drive Q: and the test that wants one skips. Never fails, so
# that the GUI tests that need no small drive always run.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
quill_wine_env

drive="$WINEPREFIX/dosdevices/q:"
mount_point="$WINEPREFIX.small-drive"

case "${1:-}" in
    mount)
        if [ "$(id -u)" -ne 0 ]; then
            quill_say "not root: no small drive Q: for the disk-space test"
            exit 0
        fi
        mkdir -p "$mount_point"
        if ! mountpoint -q "$mount_point" && ! mount -t tmpfs -o size=20m tmpfs "$mount_point"; then
            quill_say "cannot mount a tmpfs: no small drive Q: for the disk-space test"
            rmdir "$mount_point" 2>/dev/null
            exit 0
        fi
        ln -sfn "$mount_point" "$drive"
        ;;
    unmount)
        rm -f "$drive"
        mountpoint -q "$mount_point" && umount "$mount_point"
        rmdir "$mount_point" 2>/dev/null
        ;;
    *)
        echo "usage: $0 mount|unmount" >&2
        ;;
esac
exit 0
