# The steps of the journeys under wine: Pulvar for 64-bit Windows as its installer put it into a
# wine prefix, in a virtual X display with a window manager (wine's windows are X windows),
# driven by keys and clicks and read from outside: the bench's trace, the registry as wine's
# "reg" reads it, window titles, what a box says as Ctrl+C copies it, whether the window is busy
# with the supply, the exit status.

. "$(dirname "${BASH_SOURCE[0]}")/../e2e_lib.bash"
. "$(dirname "${BASH_SOURCE[0]}")/../journeys/journey_lib.bash"

wine_loader=/usr/lib/wine/wine64
installed='C:\Program Files\Pulvar'
settings_key='HKCU\Software\VB and VBA Program Settings\Pulvar'
# Wine starts a program in some seconds, more on a busy machine.
e2e_patience=60

wine_run() { "$wine_loader" "$@"; }

wine_prefix_env() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # The prefix's C: drive, from the Linux side.
    drive_c="$WINEPREFIX/drive_c"
    program_folder="$drive_c/Program Files/Pulvar"
}

# A journey in the prefix given: a display of its own, the artifacts kept in the folder given,
# and the program the journey starts (by default "Pulvar on the simulated bench").
wine_begin() {
    wine_prefix_env "$1"
    e2e_setup wine_start_program ""
    # Environment meant for the Linux programs only.
    unset QT_QPA_PLATFORM LD_LIBRARY_PATH
    artifacts=$2
    rm -rf "$artifacts" && mkdir -p "$artifacts"
    shot=0
    clipboard_pid=""
    bus_pid=""
    store="$work/settings.reg"
    started_program="$installed\\pulvar-bench.exe"
    trap wine_end EXIT
}

wine_end() {
    local status=$?
    wine_run reg export "$settings_key" "$store" >/dev/null 2>&1
    # Every process of this prefix, so that the next journey starts on its own display.
    wineserver -k 2>/dev/null
    journey_end "$status"
}

wine_start_program() { exec "$wine_loader" "$started_program"; }

# No exchange with the supply runs in the main window ($window): on Windows it carries a window
# property while one does, which a small Windows program of the tests reads (wine has no
# accessibility bus).
idle() {
    wine_run "$PULVAR_WINDOW_BUSY" "$(xdotool getwindowname "$window" 2>/dev/null)" >/dev/null 2>&1
}

# What a box titled so says, as Ctrl+C in it puts it on the clipboard: title, text and buttons
# between dashed lines, as Windows boxes do.
box_text() {
    local box
    box=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$box" ] || return 1
    copy_to_clipboard "(nothing copied)"
    e2e_keys "$box" ctrl+c >/dev/null 2>&1
    within 5 clipboard_changed || return 1
    xclip -o -selection clipboard
}

clipboard_changed() { ! clipboard_holds "(nothing copied)"; }

# Clicks at a point of a window, in its own pixels.
click_at() {
    xdotool windowactivate "$1" 2>/dev/null
    timeout 10 xdotool mousemove --window "$1" --sync "$2" "$3" click 1
}

# The settings as the registry holds them: "<name>=<value>" lines, sorted, of the model's key.
registry_settings() {
    wine_run reg query "$settings_key\\Settings\\$1" 2>/dev/null | tr -d "\r" |
        sed -n 's/^    \(.*[^ ]\)    REG_SZ    \(.*\)$/\1=\2/p' | sort
}

forget_settings() { wine_run reg delete "$settings_key" /f >/dev/null 2>&1 || true; }

# A LOGFONT of the face given, 9 points at 96 dpi, as the registry keeps the system's fonts.
logfont_hex() {
    local face
    face=$(printf %s "$1" | iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n')
    printf 'f4ffffff000000000000000000000000900100000000000000000022%-128s' "$face" | tr ' ' 0
}

# A fresh prefix, as a new Windows user's. Qt draws menus, buttons and boxes in the system's
# message font, Segoe UI on Windows; wine names a Tahoma of its own that Qt cannot use, so the
# prefix gets a sans-serif face that is there.
wine_boot_prefix() {
    rm -rf "$WINEPREFIX"
    wine_run wineboot -i >/dev/null 2>&1 || e2e_fail "wineboot failed"
    local font metric
    font=$(logfont_hex "Liberation Sans")
    for metric in MessageFont MenuFont StatusFont CaptionFont SmCaptionFont; do
        wine_run reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v "$metric" \
            /t REG_BINARY /d "$font" /f >/dev/null 2>&1 || e2e_fail "cannot set $metric"
    done
    wineserver -w
}

# Files below a folder, one relative path a line, sorted.
files_below() { (cd "$1" && find . -type f | sed 's#^\./##' | LC_ALL=C sort); }

# The target a shortcut file starts, as Windows keeps it in the link (UTF-16 or ANSI).
shortcut_names() { { strings -a -el "$1"; strings -a "$1"; } 2>/dev/null; }
