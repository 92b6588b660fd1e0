#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian would: lintian without an error or a warning,
# the desktop entry and the AppStream metadata valid, the icon found by its theme name, every
# program with its manual page. Then installs it, runs pulvar-cli and pulvar-bench on the
# installed bench, and purges it, checking that nothing it installed is left.
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
lintian_pid=""
# Runs under set -e as well: no step of it may end it before the purge.
cleanup() {
    for job in $pid $lintian_pid; do kill "$job" 2>/dev/null || true; done
    if dpkg-query -W pulvar >/dev/null 2>&1; then
        apt-get purge -y -qq pulvar >/dev/null 2>&1 || true
    fi
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
# lintian takes longest: it looks at the package while the rest is tried.
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 &
lintian_pid=$!

# Slim systems leave manual pages and documents out of every install; these are checked here.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    -o DPkg::Options::=--path-include=/usr/share/man/man1/pulvar* \
    -o DPkg::Options::=--path-include=/usr/share/doc/pulvar/* "$deb" >/dev/null 2>&1 ||
    fail "apt-get install"
dpkg -L pulvar >"$work/installed"
installed() { grep -E "$1" "$work/installed" || fail "nothing installed matches $1"; }

for file in /usr/bin/pulvar /usr/bin/pulvar-cli /usr/bin/pulvar-bench /usr/bin/pulvar-adapter \
    /usr/lib/pulvar/bench/libgpib.so.0 /usr/lib/pulvar/adapter/libgpib.so.0 \
    /usr/lib/pulvar/bench/adapter-emulator /usr/share/applications/pulvar.desktop \
    /usr/share/applications/pulvar-adapter.desktop \
    /usr/share/doc/pulvar/copyright /usr/share/doc/pulvar/changelog.gz; do
    [ -e "$file" ] || fail "$file not installed"
done
# The adapter's udev rule, where udev reads it, and every line of it understood: udev names each
# line it cannot read when it plays an event through its rules.
rule=/usr/lib/udev/rules.d/70-pulvar-adapter.rules
[ -f "$rule" ] || fail "$rule not installed"
tty=$(ls -d /sys/class/tty/* | head -n 1)
timeout 60 udevadm test --action=add "$tty" >"$work/udev" 2>&1 || true
grep -qxF "Reading rules file: $rule" "$work/udev" || fail "udev does not read $rule"
! grep -F "$rule:" "$work/udev" || fail "udev does not understand $rule"
# The bench never lands where every program would load it instead of a real driver.
! ldconfig -p | grep -q 'libgpib.so.0 .*/usr/lib/pulvar' || fail "bench on the library path"

for program in $(installed '^/usr/bin/'); do
    man -w "${program##*/}" >/dev/null 2>&1 || fail "${program##*/} has no manual page"
done
# The manual page of pulvar-cli says all its --help says: each line, its columns aside, stands
# in the page as man shows it (on one long line, so that nothing is hyphenated).
LC_ALL=C MANWIDTH=2000 man pulvar-cli 2>&1 | tr -s ' \n' ' ' >"$work/manual"
pulvar-cli --help | sed -E -e '/^[^ ].*:$/d' -e 's/^(Usage:|  or:) //' -e 's/ +/ /g' \
    -e 's/^ //' -e '/^$/d' | while IFS= read -r line; do
    grep -qF -- "$line" "$work/manual" || fail "the manual page of pulvar-cli lacks: $line"
done

for entry in pulvar pulvar-adapter; do
    desktop-file-validate "/usr/share/applications/$entry.desktop" >"$work/stderr" 2>&1 ||
        fail "desktop entry $entry"
done
grep -qx 'Exec=pulvar-adapter' /usr/share/applications/pulvar-adapter.desktop ||
    fail "the adapter's desktop entry starts no pulvar-adapter"
appstreamcli validate --no-net $(installed '^/usr/share/metainfo/.*\.metainfo\.xml$') \
    >"$work/stderr" 2>&1 || fail "AppStream metadata"
# The icon is found by its theme name: each picture in a folder the hicolor theme lists for
# its size, drawn at that size.
grep -qx 'Icon=pulvar' /usr/share/applications/pulvar.desktop || fail "desktop entry's icon"
index=/usr/share/icons/hicolor/index.theme
for png in $(installed '^/usr/share/icons/hicolor/.*/pulvar\.png$'); do
    folder=${png#/usr/share/icons/hicolor/}
    folder=${folder%/pulvar.png}
    size=${folder%%x*}
    awk -v section="[$folder]" -v size="Size=$size" '$0 == section { inside = 1; next }
        /^\[/ { inside = 0 } inside && $0 == size { found = 1 } END { exit !found }' "$index" ||
        fail "$folder is no folder of the icon theme for size $size"
    file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not $size x $size"
done
[ "$(installed '^/usr/share/icons/hicolor/.*/pulvar\.png$' | wc -l)" -ge 7 ] ||
    fail "an icon size is missing"

version=$(dpkg-deb -f "$deb" Version)
[ "$(pulvar-cli --version)" == "pulvar-cli (Pulvar) $version" ] || fail "pulvar-cli --version"
identified=$(env -i PATH=/usr/bin:/bin LD_LIBRARY_PATH=/usr/lib/pulvar/bench GPIB_BENCH="5=PS5010" \
    GPIB_BENCH_STATE="$work/cli-state" pulvar-cli identify 2>&1) || fail "pulvar-cli identify"
[ "$identified" == "PS5010 at GPIB address 5" ] || fail "pulvar-cli identify: $identified"

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
rm "$work/trace" "$work/adapter-trace" "$work/stderr"  # no failure from here on is theirs

apt-get purge -y -qq pulvar >/dev/null
! dpkg-query -W pulvar >/dev/null 2>&1 || fail "still known to dpkg after the purge"
# Folders of others (usr/share/icons/hicolor/...) may stay; nothing of the package's own.
while IFS= read -r path; do
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == *pulvar* ]]; }; then
        fail "$path left after the purge"
    fi
done <"$work/installed"

wait "$lintian_pid" || { lintian_pid=""; fail "lintian: $(cat "$work/lintian")"; }
lintian_pid=""
echo "package: lintian clean, desktop entry, metadata, icon and manual pages valid," \
    "installs, runs on the bench, purges cleanly: ok"
