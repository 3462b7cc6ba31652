#!/usr/bin/env bash
# Wine test of the shipped form of setup.exe: packages built by tools/package/make_package.py run in
# a fresh Wine prefix, watched through the trace file (DISCDECK_SETUP_TRACE), the probe program and
# the stand-in installer, which records how it was started and waits until the test lets it end.
#   setup_wine_test.sh SETUP_EXE PROBE_EXE INSTALLER_EXE MAKE_PACKAGE WORK_DIR
# Checks: a package in a folder named outside the ANSI code page, started from another directory,
# unpacks into a new folder of its own under the user's temporary folder the files with their
# contents, the times they had when packed (builder and prefix in Europe/Berlin) and attributes;
# the installer gets setup's arguments, setup ends with its exit code and leaves nothing behind;
# files planted in the Windows and the user's temporary folders (a folder named discdeck.exe among
# them) change nothing and stay; status texts and progress positions in order. A damaged package
# (which leaves nothing of its own behind) and one whose program cannot be started show their error,
# stay open until closed and end with 1603. (/S, a second setup and a signed package: the
# installer's Wine test.)
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
windows_temp=$prefix/drive_c/windows/temp
export WINEPREFIX=$prefix
marker=$work/installer-marker.txt
hold=$work/installer-hold
export DISCDECK_INSTALLER_MARKER DISCDECK_INSTALLER_HOLD

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
    user_temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')")
    mkdir -p "$user_temp"
    DISCDECK_INSTALLER_MARKER=$(winepath -w "$marker")
    DISCDECK_INSTALLER_HOLD=$(winepath -w "$hold")
}

exit_code() {  # program, arguments...: its whole exit code (wine's own status keeps 8 bits)
    local program
    program=$(winepath -w "$1")
    shift
    timeout 180 wine "$probe" run "$program" "$@" | tr -d '\r'
}

run_folders() {  # the run folders setup.exe made and left in the user's temporary folder
    find "$user_temp" -maxdepth 1 -name 'discdeck-setup-*' -printf '%f\n' | grep -vx "$planted_folder" || true
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
# Other programs' files and a folder named like the package's program, in the shared folder, and a
# folder of the name setup.exe might pick, in the user's: none of them stops or changes the run.
for other in setup.ins setup.exe setup.ini keep.txt; do
    echo "left over" >"$windows_temp/$other"
done
mkdir -p "$windows_temp/installer.exe" "$windows_temp/readme.txt"
planted_folder=discdeck-setup-planted
mkdir -p "$user_temp/$planted_folder"
windows_before=$(cd "$windows_temp" && find . | sort)
trace=$work/good-trace.txt
rm -f "$trace" "$marker" "$hold"
(cd "$work/elsewhere" && DISCDECK_SETUP_TRACE=$(winepath -w "$trace") \
    exit_code "$greek/setup.exe" /exit=7 "/D=C:\Apps\disc deck" >"$work/good-code.txt") &
setup_pid=$!
running_pid=$setup_pid
wait_for 60 test -f "$marker" || fail "the installer was not started"
read -r _ started arguments < <(tr -d '\r' <"$marker")
[ "$arguments" = '/exit=7 "/D=C:\Apps\disc deck"' ] || fail "the installer got the arguments '$arguments'"
folder=$(run_folders)
[ "$(echo "$folder" | wc -l)" = 1 ] && [ -n "$folder" ] || fail "run folders: '$folder'"
[ "$started" = "$(winepath -w "$user_temp/$folder")\\installer.exe" ] || fail "the installer started was $started"
run=$user_temp/$folder
[ "$(ls "$run" | sort | tr '\n' ' ')" = "data.bin hidden.txt installer.exe readme.txt " ] \
    || fail "the run folder holds $(ls "$run")"

for file in installer.exe readme.txt data.bin hidden.txt; do
    cmp "$payload/$file" "$run/$file" || fail "$file differs"
done
windows_run=$(winepath -w "$run")
# Times: each file has the time it had when it was packed, to two seconds, whatever the zone.
for name in installer.exe readme.txt data.bin hidden.txt; do
    seconds=$(stat -c %Y "$payload/$name")
    seconds=$((seconds - seconds % 2))
    read -r creation write < <(wine "$probe" times "$windows_run\\$name" | tr -d '\r')
    [ "$creation" = "$seconds" ] && [ "$write" = "$seconds" ] \
        || fail "$name: times $creation $write, expected $seconds"
    [ "$(stat -c %Y "$run/$name")" = "$seconds" ] || fail "$name: modification time on disk"
done

attributes() {
    wine "$probe" attributes "$windows_run\\$1" | tr -d '\r'
}
[ "$(attributes readme.txt)" = "21" ] || fail "readme.txt attributes $(attributes readme.txt), expected 21"
[ "$(attributes data.bin)" = "20" ] || fail "data.bin attributes $(attributes data.bin), expected 20"
[ "$(attributes installer.exe)" = "20" ] || fail "installer.exe attributes $(attributes installer.exe)"
[ $((0$(stat -c %a "$run/readme.txt") & 0222)) -eq 0 ] || fail "readme.txt is not read-only on disk"
# Hidden and system live in an extended attribute: only where the file system keeps those.
if python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.discdeck", b"1")' "$payload/readme.txt" 2>/dev/null; then
    [ "$(attributes hidden.txt)" = "26" ] || fail "hidden.txt attributes $(attributes hidden.txt), expected 26"
else
    echo "note: no extended attributes here, hidden/system not checked" >&2
fi

touch "$hold"
wait "$setup_pid" || fail "setup.exe did not end by itself"
running_pid=
code=$(cat "$work/good-code.txt")
[ "$code" = 7 ] || fail "setup.exe ended with $code, not the installer's 7"
wineserver -w
[ ! -e "$run" ] || fail "the run folder is left: $(ls -A "$run")"
[ -z "$(run_folders)" ] || fail "run folders left: $(run_folders)"
[ -d "$user_temp/$planted_folder" ] || fail "a folder setup did not make was removed"
[ "$(cd "$windows_temp" && find . | sort)" = "$windows_before" ] || fail "the Windows temporary folder changed"

image_size=$(stat -c %s "$setup_image")
file_size=$(stat -c %s "$packages/good.exe")
expected=$work/good-expected.txt
{
    echo "progress 0"
    echo "status  Running ... "
    echo "status Read setup file ..."
    echo "status Read offset ..."
    echo "progress 1"
    printf 'note Allocate buffer: %08d B ( Package: %06d / Header: %06d )\n' \
        $((file_size - image_size)) "$file_size" "$image_size"
    echo "status Writing of package ..."
    echo "status Closing of package ..."
    echo "progress 2"
    echo "status Extracting files from package ..."
    echo "progress 3"
    echo "status Running of installation ..."
    echo "progress 4"
    echo "note OK ... exit code 7"
} >"$expected"
diff -u "$expected" <(trace_lines "$trace") || fail "status texts and progress positions"

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
expect_open_window() {  # package, expected start of the status, screenshot name
    local package=$1 status=$2 shot=$3
    local log=$work/$shot-trace.txt
    rm -f "$log"
    DISCDECK_SETUP_TRACE=$(winepath -w "$log") exit_code "$package" >"$work/$shot-code.txt" &
    local pid=$!
    running_pid=$pid
    wait_for 60 bash -c "tr -d '\r' <'$log' 2>/dev/null | grep -qF 'status $status'" || fail "$shot: no status '$status'"
    sleep 2
    kill -0 "$pid" 2>/dev/null || fail "$shot: the window closed by itself"
    wine "$probe" status | tr -d '\r' | grep -qF "$status" || fail "$shot: the window does not show '$status'"
    import -window root "$artifacts/$shot.png" || echo "note: no screenshot" >&2
    wine "$probe" close || fail "$shot: no setup window to close"
    wait_for 20 bash -c "! kill -0 $pid 2>/dev/null" || fail "$shot: the window did not close"
    wait "$pid" || true
    running_pid=
    local code
    code=$(cat "$work/$shot-code.txt")
    [ "$code" = 1603 ] || fail "$shot: exit code $code, expected 1603"
    [ -z "$(run_folders)" ] || fail "$shot: left $(run_folders)"
}

expect_open_window "$packages/damaged.exe" "Corrupt cabinet" setup-damaged-package
expect_open_window "$packages/nostart.exe" "Unable to start missing.exe: " setup-program-not-started
[ "$(cd "$windows_temp" && find . | sort)" = "$windows_before" ] || fail "the Windows temporary folder changed"

wineserver -k 2>/dev/null || true
echo "setup Wine test passed; screenshots in $artifacts"
