#!/usr/bin/env bash
# Wine test of the shipped form of setup.exe: packages built by tools/package/make_package.py run in
# a fresh Wine prefix, watched through the trace file (DISCDECK_SETUP_TRACE), the probe program and
# the stand-in installer's marker file.
#   setup_wine_test.sh SETUP_EXE PROBE_EXE INSTALLER_EXE MAKE_PACKAGE WORK_DIR
# Checks: a package in a folder named outside the ANSI code page, started from another directory,
# unpacks into C:\windows\TEMP the files with their contents, the times they had when packed (builder
# and prefix in Europe/Berlin) and attributes; the previous run's setup.ins/exe/ini deleted;
# install.cab gone; the trailer's program started; status texts and progress positions in order.
# A damaged package (which leaves nothing of its own behind) and one whose program cannot be started
# show their error and stay open; the test takes a screenshot (DISCDECK_ARTIFACTS) and closes them.
set -euo pipefail

setup_image=$1
probe=$2
installer=$3
make_package=$4
work=$5
root=$(cd "$(dirname "$0")/../../.." && pwd)
artifacts=${DISCDECK_ARTIFACTS:-$work/artifacts}

. "$root/scripts/wine-env.sh"
# DOS times in cabinets are local times: a zone away from UTC (with summer time), for the builder and
# Wine alike, makes the conversions visible.
export TZ=Europe/Berlin

if [ -z "${DISPLAY:-}" ]; then
    xvfb_start
fi

mkdir -p "$work" "$artifacts"
template=$work/prefix-template
prefix=$work/prefix
temp=$prefix/drive_c/windows/temp
export WINEPREFIX=$prefix

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

wait_for() {  # seconds, command...
    local limit=$1
    shift
    for _ in $(seq 1 $((limit * 5))); do
        if "$@"; then return 0; fi
        sleep 0.2
    done
    return 1
}

fresh_prefix() {
    # A template made once (as every test prefix is, with the dialog font), copied for each run.
    (wine_prefix_init "$template")
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
}

trace_lines() {  # the trace without line ends
    tr -d '\r' <"$1"
}

trace_has() {  # trace, line
    [ -f "$1" ] && trace_lines "$1" | grep -qxF "$2"
}

# Whatever happens, no program of the test prefix outlives the test.
cleanup() {
    if [ -n "${running_pid:-}" ]; then kill "$running_pid" 2>/dev/null || true; fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
trap 'cleanup; if [ -n "${XVFB_PID:-}" ]; then xvfb_stop; fi' EXIT

# --- Packages -------------------------------------------------------------------------------------
payload=$work/payload
packages=$work/packages
rm -rf "$payload" "$packages"
greek=$work/Σωκράτης
rm -rf "$greek"
mkdir -p "$payload" "$packages" "$work/elsewhere" "$greek"
cp "$installer" "$payload/installer.exe"
/usr/bin/env python3 - "$payload" <<'PY'
import random, sys
folder = sys.argv[1]
rng = random.Random(1)
words = ["disc ", "deck ", "track ", "title ", "\r\n"]
open(f"{folder}/readme.txt", "w").write("".join(rng.choice(words) for _ in range(4000)))
open(f"{folder}/data.bin", "wb").write(bytes(rng.getrandbits(8) for _ in range(300000)))
open(f"{folder}/hidden.txt", "w").write("kept out of sight\r\n")
PY
touch -d @1012716306 "$payload/readme.txt"  # 2002-02-03, winter time
touch -d @1600000000 "$payload/data.bin"    # 2020-09-13, summer time
touch -d @946684800 "$payload/hidden.txt"
touch -d @1234567890 "$payload/installer.exe"

python3 "$make_package" --image "$setup_image" --output "$packages/good.exe" --start installer.exe \
    --files "$payload/installer.exe" "$payload/readme.txt" "$payload/data.bin" "$payload/hidden.txt" \
    --attributes readme.txt=0x21 --attributes hidden.txt=0x26 --attributes data.bin=0xE0
# The same with a byte of compressed data changed: the block's checksum no longer matches.
python3 - "$packages/good.exe" "$packages/damaged.exe" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) - 34 - 5000] ^= 0xFF
open(sys.argv[2], "wb").write(data)
PY
python3 "$make_package" --image "$setup_image" --output "$packages/nostart.exe" --start missing.exe \
    --allow-missing-start --files "$payload/readme.txt"
cp "$packages/good.exe" "$greek/setup.exe"
# The builder refuses the names setup.exe refuses, superscript port numbers among them.
! python3 "$make_package" --image "$setup_image" --output "$work/refused.exe" --start "LPT².exe" \
    --allow-missing-start --files "$payload/readme.txt" 2>/dev/null || fail "the builder took LPT².exe"

# --- A good package in the Greek folder, started from another directory ----------------------------
fresh_prefix
for stale in setup.ins setup.exe setup.ini keep.txt; do
    echo "left over" >"$temp/$stale"
done
trace=$work/good-trace.txt
rm -f "$trace"
(cd "$work/elsewhere" && DISCDECK_SETUP_TRACE=$(winepath -w "$trace") timeout 120 wine "$greek/setup.exe") \
    || fail "setup.exe did not end by itself"
wait_for 30 test -f "$temp/installer-ran.txt" || fail "the installer was not started"
wineserver -w

image_size=$(stat -c %s "$setup_image")
file_size=$(stat -c %s "$packages/good.exe")
expected=$work/good-expected.txt
{
    echo "progress 0"
    echo "status  Running ... "
    echo "status Read setup file ..."
    echo "status Read offset ..."
    echo "progress 1"
    printf 'status Allocate buffer: %08d B ( Package: %06d / Header: %06d )\n' \
        $((file_size - image_size)) "$file_size" "$image_size"
    echo "status Writing of package ..."
    echo "status Closing of package ..."
    echo "progress 2"
    echo "status Extracting files from package ..."
    echo "progress 3"
    echo "status Running of installation ..."
    echo "progress 4"
    echo "status OK ..."
} >"$expected"
diff -u "$expected" <(trace_lines "$trace") || fail "status texts and progress positions"

grep -qx 'started C:\\windows\\temp\\installer.exe' <(tr -d '\r' <"$temp/installer-ran.txt") \
    || fail "unexpected marker: $(cat "$temp/installer-ran.txt")"
[ ! -e "$temp/install.cab" ] || fail "install.cab was not deleted"
for stale in setup.ins setup.exe setup.ini; do
    [ ! -e "$temp/$stale" ] || fail "$stale of an earlier run was not deleted"
done
[ -e "$temp/keep.txt" ] || fail "an unrelated file was deleted"

for file in installer.exe readme.txt data.bin hidden.txt; do
    cmp "$payload/$file" "$temp/$file" || fail "$file differs"
done

# Times: each file has the time it had when it was packed, to two seconds, whatever the zone.
for name in installer.exe readme.txt data.bin hidden.txt; do
    seconds=$(stat -c %Y "$payload/$name")
    seconds=$((seconds - seconds % 2))
    read -r creation write < <(wine "$probe" times "C:\\windows\\temp\\$name" | tr -d '\r')
    [ "$creation" = "$seconds" ] && [ "$write" = "$seconds" ] \
        || fail "$name: times $creation $write, expected $seconds"
    [ "$(stat -c %Y "$temp/$name")" = "$seconds" ] || fail "$name: modification time on disk"
done

attributes() {
    wine "$probe" attributes "C:\\windows\\temp\\$1" | tr -d '\r'
}
[ "$(attributes readme.txt)" = "21" ] || fail "readme.txt attributes $(attributes readme.txt), expected 21"
[ "$(attributes data.bin)" = "20" ] || fail "data.bin attributes $(attributes data.bin), expected 20"
[ "$(attributes installer.exe)" = "20" ] || fail "installer.exe attributes $(attributes installer.exe)"
[ $((0$(stat -c %a "$temp/readme.txt") & 0222)) -eq 0 ] || fail "readme.txt is not read-only on disk"
# Hidden and system live in an extended attribute: only where the file system keeps those.
if python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.discdeck", b"1")' "$payload/readme.txt" 2>/dev/null; then
    [ "$(attributes hidden.txt)" = "26" ] || fail "hidden.txt attributes $(attributes hidden.txt), expected 26"
else
    echo "note: no extended attributes here, hidden/system not checked" >&2
fi

# --- The progress window as setup.exe's resources describe it (dialog units, styles) --------------
wine "$probe" template "$(winepath -w "$setup_image")" | tr -d '\r' >"$work/template.txt" \
    || fail "setup.exe has no dialog 102"
python3 - "$work/template.txt" <<'PY' || fail "dialog 102 of setup.exe: $(cat "$work/template.txt")"
import sys
WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU, WS_BORDER = 0x80000000, 0x10000000, 0xC00000, 0x80000, 0x800000
DS_MODALFRAME, DS_3DLOOK = 0x80, 0x4
WS_EX_APPWINDOW, WS_EX_CLIENTEDGE = 0x40000, 0x200
ES_CENTER, ES_AUTOHSCROLL, ES_READONLY = 0x1, 0x80, 0x800
SS_BITMAP, SS_TYPEMASK, SS_CENTERIMAGE, SS_REALSIZEIMAGE = 0xE, 0x1F, 0x200, 0x800
problems = []
def check(what, ok):
    if not ok:
        problems.append(what)
lines = open(sys.argv[1]).read().splitlines()
_, style, ex, cx, cy, points, font = lines[0].split(maxsplit=6)
style, ex = int(style, 16), int(ex, 16)
check("size", (int(cx), int(cy)) == (301, 125))
check("font", (int(points), font) == (8, "MS Sans Serif"))
need = WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_3DLOOK
check("dialog style", style & need == need and style & (WS_CAPTION | WS_SYSMENU) == 0)
check("dialog extended style", ex & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE) == WS_EX_APPWINDOW | WS_EX_CLIENTEDGE)
items = {}
for line in lines[1:]:
    _, ident, cls, x, y, w, h, st, ext = line.split()
    items[int(ident)] = (cls.lower(), (int(x), int(y), int(w), int(h)), int(st, 16), int(ext, 16))
check("controls", sorted(items) == [1006, 1007, 1008])
cls, place, st, ext = items.get(1007, ("", (), 0, 0))
check("1007", cls in ("#130", "static") and place == (0, 1, 302, 85) and st & SS_TYPEMASK == SS_BITMAP
      and st & (SS_CENTERIMAGE | SS_REALSIZEIMAGE | WS_BORDER) == SS_CENTERIMAGE | SS_REALSIZEIMAGE | WS_BORDER)
cls, place, st, ext = items.get(1006, ("", (), 0, 0))
edit = ES_READONLY | ES_CENTER | ES_AUTOHSCROLL
check("1006", cls in ("#129", "edit") and place == (6, 90, 289, 15) and st & edit == edit
      and st & WS_BORDER == 0 and ext & WS_EX_CLIENTEDGE)
cls, place, st, ext = items.get(1008, ("", (), 0, 0))
check("1008", cls == "msctls_progress32" and place == (6, 108, 290, 14) and st & WS_BORDER)
if problems:
    sys.exit("wrong: " + ", ".join(problems))
PY

# --- Packages that fail: the window stays open with the reason until it is closed -----------------
expect_open_window() {  # package, expected status, screenshot name
    local package=$1 status=$2 shot=$3
    local log=$work/$shot-trace.txt
    rm -f "$log"
    DISCDECK_SETUP_TRACE=$(winepath -w "$log") wine "$package" &
    local pid=$!
    running_pid=$pid
    wait_for 60 trace_has "$log" "status $status" || fail "$shot: no status '$status'"
    sleep 2
    kill -0 "$pid" 2>/dev/null || fail "$shot: the window closed by itself"
    [ "$(wine "$probe" status | tr -d '\r')" = "$status" ] || fail "$shot: the window does not show '$status'"
    import -window root "$artifacts/$shot.png" || echo "note: no screenshot" >&2
    wine "$probe" close || fail "$shot: no setup window to close"
    wait_for 20 bash -c "! kill -0 $pid 2>/dev/null" || fail "$shot: the window did not close"
    wait "$pid" || true
    running_pid=
}

expect_open_window "$packages/damaged.exe" "Corrupt cabinet" setup-damaged-package
# The damage lies in data.bin's last block: the run removes the package copy, the files before it and
# data.bin; hidden.txt, which it did not reach, stays as the good run left it.
for file in install.cab installer.exe readme.txt data.bin; do
    [ ! -e "$temp/$file" ] || fail "$file of the failed run was left behind"
done
cmp "$payload/hidden.txt" "$temp/hidden.txt" || fail "a file the failed run did not write was touched"
expect_open_window "$packages/nostart.exe" "Unable to start missing.exe ..." setup-program-not-started

wineserver -k 2>/dev/null || true
echo "setup Wine test passed; screenshots in $artifacts"
