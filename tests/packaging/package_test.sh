#!/usr/bin/env bash
# The Debian package as a laboratory gets it: build it, compare what it holds with the table below,
# unpack it into a temporary root and run the programs from there (libraries, scenarios and
# templates come from the installed layout, never from the build tree, and nothing is written
# below the root), then let the desktop, AppStream and Debian checkers judge it.
# The scenarios and templates the package carries are the ones in the source tree.
# usage: package_test.sh BUILD_DIR VERSION APP_ID SOURCE_DIR
set -euo pipefail
build=$1 version=$2 id=$3 source=$4

for tool in dpkg-deb dpkg-architecture dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
deb=$build/lorikws_${version}_${arch}.deb

tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "== building the package"
rm -f "$deb"
cmake --build "$build" --target package >"$tmp/package.log" 2>&1 || { cat "$tmp/package.log"; fail "cpack"; }
[ -f "$deb" ] || fail "no $deb"

echo "== contents"
cat >"$tmp/expected" <<TABLE
-rw-r--r-- ./lib/udev/rules.d/60-lorikws.rules
-rwxr-xr-x ./usr/bin/lorik-sim
-rwxr-xr-x ./usr/bin/lorikctl
-rwxr-xr-x ./usr/bin/lorikws
-rw-r--r-- ./usr/lib/$multiarch/lorikws/libfieldlink.so
-rw-r--r-- ./usr/lib/$multiarch/lorikws/libpolynoms.so
-rw-r--r-- ./usr/lib/$multiarch/lorikws/libprotocolmaker.so
-rw-r--r-- ./usr/lib/$multiarch/lorikws/libsheetout.so
-rw-r--r-- ./usr/share/applications/$id.desktop
-rw-r--r-- ./usr/share/doc/lorikws/changelog.gz
-rw-r--r-- ./usr/share/doc/lorikws/copyright
-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/$id.svg
-rw-r--r-- ./usr/share/lintian/overrides/lorikws
-rw-r--r-- ./usr/share/man/man1/lorik-sim.1.gz
-rw-r--r-- ./usr/share/man/man1/lorikctl.1.gz
-rw-r--r-- ./usr/share/man/man1/lorikws.1.gz
-rw-r--r-- ./usr/share/metainfo/$id.metainfo.xml
TABLE
for f in "$source"/simulator/scenarios/*.ini; do
    echo "-rw-r--r-- ./usr/share/lorikws/scenarios/$(basename "$f")" >>"$tmp/expected"
done
for f in "$source"/templates/*.fods; do
    echo "-rw-r--r-- ./usr/share/lorikws/template_xml/$(basename "$f" .fods).xls" >>"$tmp/expected"
done
# every entry owned by root; the mode and path of every entry that is not a folder
dpkg-deb --contents "$deb" >"$tmp/contents"
if awk '$2 != "root/root"' "$tmp/contents" | grep .; then fail "entries not owned by root"; fi
grep -v '^d' "$tmp/contents" | sed -E 's/^([^ ]+) +[^ ]+ +[^ ]+ +[^ ]+ +[^ ]+ +/\1 /' | LC_ALL=C sort >"$tmp/actual"
LC_ALL=C sort "$tmp/expected" -o "$tmp/expected"
diff -u "$tmp/expected" "$tmp/actual" || fail "the package does not hold what the table says"
dpkg-deb --field "$deb" Section | grep -qx science || fail "Section"
dpkg-deb --field "$deb" Recommends | grep -q libreoffice-calc || fail "Recommends"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "Depends (from the libraries linked)"

echo "== unpacked"
root=$tmp/root
dpkg-deb -x "$deb" "$root"
mkdir -p "$tmp/home" "$tmp/run" "$tmp/sim"
chmod 700 "$tmp/run"
snapshot() { find "$root" -printf '%M %s %T@ %p\n' | LC_ALL=C sort; }
snapshot >"$tmp/before"
# a clean environment: no build tree on any path, every per-user folder in the temporary home
# (a simple command, so that a program started in the background is the process $! names)
run=(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"
    XDG_DATA_HOME="$tmp/home/.local/share" XDG_CACHE_HOME="$tmp/home/.cache" XDG_RUNTIME_DIR="$tmp/run"
    LORIK_SIM_DIR="$tmp/sim" QT_QPA_PLATFORM=offscreen)
bin=$root/usr/bin
for f in "$bin"/* "$root/usr/lib/$multiarch/lorikws"/*; do
    if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -q "$build"; then fail "$f has a path into the build tree"; fi
done

out=$("${run[@]}" "$bin/lorikctl" convert --type 8 --temp 100) || fail "lorikctl convert"
[ "$out" = "4.096230" ] || fail "lorikctl convert gave '$out'"

"${run[@]}" timeout 60 "$bin/lorikws" save_lng 2>"$tmp/save_lng.log" || { cat "$tmp/save_lng.log"; fail "lorikws save_lng"; }
lng=$tmp/home/.local/share/lorikws/soft_generated.lng
[ -s "$lng" ] || { cat "$tmp/save_lng.log"; fail "no $lng"; }
grep -qF -- "--$lng--    possible created." "$tmp/save_lng.log" || { cat "$tmp/save_lng.log"; fail "the message names another file"; }

# the installed virtual calibrator with a bundled scenario, the installed client and program on it
mkfifo "$tmp/sim.in"
"${run[@]}" "$bin/lorik-sim" --scenario hart <"$tmp/sim.in" >"$tmp/sim.out" 2>&1 &
pids+=($!)
exec 3>"$tmp/sim.in"
for _ in $(seq 50); do [ -s "$tmp/sim.out" ] && break; sleep 0.1; done
[ "$(head -n 1 "$tmp/sim.out")" = "$tmp/sim/ttyLORIK0" ] || { cat "$tmp/sim.out"; fail "lorik-sim did not start"; }
[ "$("${run[@]}" "$bin/lorikctl" identify)" = "50" ] || fail "lorikctl identify"
# the HART texts come from the private libfieldlink.so
hart=$("${run[@]}" "$bin/lorikctl" hart find --interval 20) || fail "lorikctl hart find"
grep -qE '^manufacturer .+' <<<"$hart" || fail "no manufacturer text from libfieldlink.so: $hart"
"${run[@]}" "$bin/lorikws" >"$tmp/lorikws.log" 2>&1 &
ws=$!
pids+=($ws)
connected=0
for _ in $(seq 100); do
    echo status >&3
    sleep 0.2
    if tail -n 1 "$tmp/sim.out" | grep -q "remote=1"; then connected=1; break; fi
done
[ "$connected" = 1 ] || { cat "$tmp/lorikws.log"; fail "lorikws did not connect to lorik-sim"; }
kill -TERM "$ws"
rc=0
wait "$ws" || rc=$?
[ "$rc" = 0 ] || { cat "$tmp/lorikws.log"; fail "lorikws ended with $rc on SIGTERM"; }
[ -f "$tmp/home/.config/lorikws/lorikws.ini" ] || fail "no settings in the per-user folder"
[ -f "$tmp/home/.local/share/lorikws/default.aip" ] || fail "no project in the per-user folder"
echo quit >&3
exec 3>&-

snapshot >"$tmp/after"
diff -u "$tmp/before" "$tmp/after" || fail "something was written below the installed root"

echo "== checkers"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
lintian --fail-on error --display-info "$deb" 2>&1 | tee "$tmp/lintian.log" || fail "lintian found errors"
echo "PASS"
