#!/usr/bin/env bash
# pulvar-adapter as the desktop menu starts it, with no adapter named and nothing reading its
# standard error: laid out as installed (the launcher in bin/, the adapter library in
# lib/pulvar/adapter/), with a stand-in for pulvar that runs pulvar-cli identify through the
# library, and a stand-in for zenity that notes what it was asked to show. On a system without an
# adapter the library's reason comes in a box, and the exit status is the program's.
set -uo pipefail
. "$(dirname "$0")/cli_lib.bash"
. "$(dirname "$0")/adapter_lib.bash"
. "$(dirname "$0")/e2e_lib.bash"
cli_setup "$@"
adapter_use "$2"
unset GPIB_ADAPTER
installed="$work/usr"
mkdir -p "$installed/bin" "$installed/lib/pulvar" "$work/tools"
cp "$(dirname "$0")/../../packaging/pulvar-adapter" "$installed/bin/"
ln -s "$(cd "$adapter_dir" && pwd)" "$installed/lib/pulvar/adapter"
printf '#!/bin/sh\nexec "%s" identify\n' "$(readlink -f "$cli")" >"$installed/bin/pulvar"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s"\n' "$work/box" >"$work/tools/zenity"
chmod +x "$installed/bin/pulvar" "$work/tools/zenity"
# The library is found through the launcher alone.
unset LD_LIBRARY_PATH

mkdir "$work/tmp"
PATH="$work/tools:$PATH" TMPDIR="$work/tmp" sh "$installed/bin/pulvar-adapter" >"$work/out" 2>"$work/err" </dev/null
status=$?
cli_expect_status 3
[ -s "$work/box" ] || cli_fail "no box"
grep -qx -- "--error" "$work/box" && grep -qx -- "--title=Pulvar on a GPIB adapter" "$work/box" ||
    cli_fail "the box: $(cat "$work/box")"
grep -qF -- "--text=gpib adapter: no GPIB adapter found; no USB serial port seen." "$work/box" ||
    cli_fail "the box says: $(cat "$work/box")"
[ -z "$(ls -A "$work/tmp")" ] || cli_fail "left behind: $(ls -A "$work/tmp")"
# Ended from outside (pulvar-bench --adapter ends it with its emulated adapter), the launcher
# ends Pulvar too, never leaving it behind.
# The stand-in runs until it is ended (at most ten minutes, should this run be killed first).
printf '#!/bin/sh\necho $$ >"%s"\nexec sleep 600\n' "$work/pulvar.pid" >"$installed/bin/pulvar"
sh "$installed/bin/pulvar-adapter" >"$work/out" 2>"$work/err" </dev/null &
launcher=$!
within 10 test -s "$work/pulvar.pid" || cli_fail "the stand-in for pulvar never started"
stand_in_ended() { ! kill -0 "$(cat "$work/pulvar.pid")" 2>/dev/null; }
kill -TERM "$launcher"
if ! within 10 stand_in_ended; then
    kill "$(cat "$work/pulvar.pid")"
    cli_fail "pulvar outlived its launcher"
fi
wait "$launcher"
echo "pulvar-adapter from the desktop: the library's reason in a box, Pulvar ended with it: ok"
