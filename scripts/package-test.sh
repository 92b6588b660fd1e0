#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, starts pulvar-bench offscreen and
# reads its trace until the supply is identified, then removes the package cleanly.
# Installing needs root: as anyone else the test is skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
    echo "package test skipped: installing the .deb needs root"
    exit 0
fi
if dpkg-query -W -f='${Status}' pulvar 2>/dev/null | grep -q "install ok installed"; then
    echo "package test skipped: a pulvar package is installed already; remove it first"
    exit 0
fi
work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    dpkg-query -W pulvar >/dev/null 2>&1 && apt-get remove -y -qq pulvar >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: package: $*" >&2
    cat "$work/trace" "$work/stderr" >&2 2>/dev/null || true
    exit 1
}

(cd "$root/build" && cpack -G DEB >"$work/cpack.log" 2>&1) || fail "cpack: $(cat "$work/cpack.log")"
deb=$(ls "$root"/build/package/pulvar_*.deb)
# No real driver among its dependencies: linux-gpib is no Debian package.
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" != *gpib* ]] || fail "depends on a driver: $depends"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null 2>&1 || fail "apt-get install"

for file in /usr/bin/pulvar /usr/bin/pulvar-bench /usr/lib/pulvar/bench/libgpib.so.0 \
    /usr/bin/pulvar-adapter /usr/lib/pulvar/adapter/libgpib.so.0 /usr/lib/pulvar/bench/adapter-emulator \
    /usr/share/applications/pulvar.desktop /usr/share/icons/hicolor/scalable/apps/pulvar.svg \
    /usr/share/icons/hicolor/16x16/apps/pulvar.png /usr/share/icons/hicolor/256x256/apps/pulvar.png; do
    [ -e "$file" ] || fail "$file not installed"
done
# The bench never lands where every program would load it instead of a real driver.
! ldconfig -p | grep -q 'libgpib.so.0 .*/usr/lib/pulvar' || fail "bench on the library path"

# Starts pulvar-bench with these arguments offscreen, tracing to the file given, and ends it once
# the trace matches the pattern: it stays open until closed, its work done once it gets there.
run_until() {
    local trace=$1 pattern=$2
    shift 2
    env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
        GPIB_BENCH="5=PS5010" GPIB_BENCH_TRACE="$trace" pulvar-bench "$@" 2>"$work/stderr" &
    pid=$!
    for _ in $(seq 200); do
        grep -q -- "$pattern" "$trace" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || fail "pulvar-bench $* ended"
        sleep 0.1
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=""
}

run_until "$work/trace" ' ibtmo .* v=12 '
grep -q ' ibrd .*pad=5 data="ID TEK/PS5010' "$work/trace" || fail "no identification in the trace"
[ -d "$work/.local/state/pulvar" ] || fail "no folder for the bench's state"
# The same through the adapter library, on an emulated AR488 in front of the bench.
run_until "$work/adapter-trace" ' ibrd .*pad=5 data="ID TEK/PS5010' --adapter ar488
grep -q 'host> "++fndl all"' "$work/adapter-trace" || fail "no AR488 lines in the trace"
grep -q ' ibrd .*pad=5 data="ID TEK/PS5010' "$work/adapter-trace" || fail "not identified on the adapter"

apt-get remove -y -qq pulvar >/dev/null
for file in /usr/bin/pulvar /usr/bin/pulvar-bench /usr/bin/pulvar-adapter /usr/lib/pulvar; do
    [ ! -e "$file" ] || fail "$file left after removal"
done
echo "package: installs, starts on the bench and on an emulated adapter, identifies the supply, removes cleanly: ok"
