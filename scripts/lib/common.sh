# Shared by the project's commands: packages, the private Wine prefix and the virtual display.
# Sourced, not run.

QUILL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QUILL_BUILD="$QUILL_ROOT/build"

quill_say() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages the project builds and runs with, asking apt only for what is
# missing. Works as root or through sudo.
quill_ensure_packages() {
    local wanted=(cmake make g++ googletest mingw-w64 wine wine64 xvfb x11-utils xdotool imagemagick xorriso
                  libcap2-bin fonts-dejavu-core)
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    quill_say "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# The project's own Wine prefix, never the user's. Made once, with the X11 driver told that
# there is no window manager, so that closed message boxes do not stall.
quill_wine_env() {
    export WINEPREFIX="${QUILL_WINEPREFIX:-$QUILL_BUILD/wineprefix}"
    export WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all}"
    # No .NET or HTML runtime downloads, and no menu entries written into the build machine's desktop.
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
    mkdir -p "$(dirname "$WINEPREFIX")"
    # The mark names the set-up's own revision, the Wine version and whether Wine's 32-bit half is
    # there: a prefix made by another Wine, or before the 32-bit half came, cannot start programs
    # ("could not load kernel32.dll") and is made anew.
    local mark
    mark="$WINEPREFIX/.quill-ready-3-$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')-$(quill_wine32_state)"
    (
        flock 9
        if [ ! -f "$mark" ]; then
            quill_say "making the Wine prefix $WINEPREFIX"
            rm -rf "$WINEPREFIX"
            wineboot -i >/dev/null 2>&1
            # Wine's own keys, always in the 64-bit view: with the 32-bit half installed a plain
            # "wine reg" is a 32-bit program and would write into the redirected one.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f /reg:64 >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d Y /f /reg:64 >/dev/null 2>&1
            # Wine ships no Verdana; a metric stand-in keeps the dialog at its designed pixel size.
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /t REG_SZ /d 'DejaVu Sans' /f \
                /reg:64 >/dev/null 2>&1
            wineserver -w
            touch "$mark"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# "wow64" when Wine's 32-bit half is installed, "64" when not.
quill_wine32_state() {
    if [ -e /usr/lib/wine/wine ] || [ -e /usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so ] || \
       dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
        echo wow64
    else
        echo 64
    fi
}

# Whether the project's prefix starts a 32-bit program: the shipping build's suites run only then.
quill_wine_runs_32bit() {
    local probe="$1"
    [ -f "$probe" ] || return 1
    timeout 120 wine "$probe" --gtest_list_tests >/dev/null 2>&1
}

# A virtual display when none is given.
quill_ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local number
    for number in $(seq 91 120); do
        if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
            Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            QUILL_XVFB_PID=$!
            export DISPLAY=":$number"
            local try
            for try in $(seq 1 50); do
                xdpyinfo >/dev/null 2>&1 && return 0
                sleep 0.1
            done
        fi
    done
    quill_say "could not start a virtual display"
    return 1
}

quill_stop_display() {
    if [ -n "${QUILL_XVFB_PID:-}" ]; then
        # Wine's desktop process holds the display until its server ends; end it first.
        [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
        kill "$QUILL_XVFB_PID" 2>/dev/null || true
        wait "$QUILL_XVFB_PID" 2>/dev/null || true
    fi
}
