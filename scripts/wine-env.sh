# Sourced by scripts/test and scripts/run: a Wine prefix of the build tree's own and an Xvfb display.
#   wine_prefix_init DIR   creates (once) a 32-bit prefix in DIR and exports WINEPREFIX
#   xvfb_start             starts Xvfb on a free display and exports DISPLAY; xvfb_stop ends it
export WINEDEBUG=${WINEDEBUG:--all}
# Test prefixes never install Wine's .NET or HTML engines.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32

wine_prefix_init() {
    export WINEPREFIX="$1"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # Wine looks for "MS Sans Serif" (sserife.fon) only in the prefix's Fonts folder; without it dialogs
    # fall back to a wider font (7 x 13 base units instead of 6 x 13) and no longer match the skin.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f /usr/share/wine/fonts/sserife.fon ] && [ ! -f "$fonts/sserife.fon" ]; then
        mkdir -p "$fonts"
        cp /usr/share/wine/fonts/sserife.fon "$fonts/"
    fi
}

XVFB_PID=
xvfb_start() {
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 1 50); do
                if xdpyinfo >/dev/null 2>&1; then
                    return 0
                fi
                sleep 0.1
            done
            kill "$XVFB_PID" 2>/dev/null || true
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

xvfb_stop() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
