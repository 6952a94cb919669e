#!/usr/bin/env bash
# Checks what a configured build tree (build/, or the folder given) installs and packages:
# the exact files `cmake --install` puts in place, the desktop entry and the metainfo under
# their validators, the .deb's contents and dependencies, lintian's verdict on the .deb, the
# desktop launcher's first and second start and its failures, and that the product
# configures without Qt6::Test.
# Every failure ends the script with one line saying what is wrong and a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
ok() { echo "check-package: ok: $*"; }

for tool in cmake cpack desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps \
    dpkg-parsechangelog file sqlite3 lintian xvfb-run; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build tree"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
app_id=org.example.purvex

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every file the install puts in place, relative to the prefix; nothing more, nothing less.
expected=$(
    LC_ALL=C sort <<EOF
bin/purvex
bin/purvex-launch
bin/pvxadmin
share/applications/$app_id.desktop
share/doc/purvex/changelog.gz
share/doc/purvex/copyright
share/man/man1/purvex.1.gz
share/man/man1/purvex-launch.1.gz
share/man/man1/pvxadmin.1.gz
share/metainfo/$app_id.metainfo.xml
share/icons/hicolor/scalable/apps/purvex.svg
share/purvex/help/purvex.qch
$(for size in 16 24 32 48 64 128 256; do echo "share/icons/hicolor/${size}x${size}/apps/purvex.png"; done)
EOF
)

compare_files() { # what, actual list
    if ! diff <(echo "$expected") <(echo "$2") >"$tmp/diff"; then
        sed 's/^/    /' "$tmp/diff" >&2
        fail "$1 does not hold exactly the expected files (< missing, > unexpected)"
    fi
}

# --- the install tree -------------------------------------------------------------------
cmake --build "$build" -j2 --target purvex pvxadmin purvex-launch man_pages changelog >/dev/null ||
    fail "the programs, their manual pages and the changelog do not build in $build"
prefix=$tmp/install/usr
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log" >&2
    fail "cmake --install $build failed"
}
compare_files "the install tree" "$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)"
for program in purvex pvxadmin purvex-launch; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is installed without execute permission"
done
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/purvex.png
    file -b "$png" | grep -q "^PNG image data, $size x $size," ||
        fail "${size}x${size}/apps/purvex.png is not a $size x $size PNG: $(file -b "$png")"
done
ok "cmake --install puts exactly the $(echo "$expected" | wc -l) expected files in place"

# --- desktop entry and metainfo ---------------------------------------------------------
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
# The validator prints hints without failing; any line from it counts as a fault here.
notes=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$notes" ] ||
    fail "desktop-file-validate: $notes"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = purvex-launch ] || fail "the desktop entry runs '$exec_line', not purvex-launch"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = purvex ] || fail "the desktop entry's icon is not purvex"
ok "desktop-file-validate accepts $app_id.desktop; it runs the launcher with our icon"

appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 || {
    cat "$tmp/appstream.log" >&2
    fail "appstreamcli validate rejects $app_id.metainfo.xml"
}
appstreamcli validate-tree --no-net "$tmp/install" >"$tmp/appstream-tree.log" 2>&1 || {
    cat "$tmp/appstream-tree.log" >&2
    fail "appstreamcli validate-tree rejects the installed tree"
}
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo has no release $version"
ok "appstreamcli validates the metainfo and the installed tree; release $version is listed"

# --- the Debian package -----------------------------------------------------------------
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    fail "cpack -G DEB failed"
}
deb=$tmp/deb/purvex_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$tmp/deb")"
# Lines of dpkg-deb -c: mode owner/group size date time path.
dpkg-deb -c "$deb" >"$tmp/contents"
awk '$2 != "root/root" { exit 1 }' "$tmp/contents" || fail "the .deb holds files not owned by root"
compare_files "the .deb" "$(awk '$1 !~ /^d/ { print $6 }' "$tmp/contents" | sed 's|^\./usr/||' | LC_ALL=C sort)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the .deb's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 \
    fonts-liberation fonts-dejavu-core qt6-qpa-plugins; do
    echo "$depends" | tr ',' '\n' | grep -Eq "^ *$package( |$)" ||
        fail "the .deb does not depend on $package (Depends: $depends)"
done
ok "$(basename "$deb") holds the same files; Depends: $depends"

# The changelog's newest entry is this version.
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/purvex/changelog.gz |
    gzip -dc >"$tmp/changelog"
changelog_version=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
[ "$changelog_version" = "$version" ] ||
    fail "the changelog's newest entry is $changelog_version, not $version"
ok "the changelog's newest entry is $version"

# --- lintian ----------------------------------------------------------------------------
# No error and no warning; what remains is information (pedantic tags among it), listed.
# None of it may be about hardening: every program is built with Debian's hardening flags.
lintian_status=0
lintian --fail-on error,warning --pedantic --display-info --display-experimental "$deb" \
    >"$tmp/lintian.log" 2>"$tmp/lintian.err" || lintian_status=$?
grep -v '^running with root privileges' "$tmp/lintian.err" >&2 || true
if [ "$lintian_status" -ne 0 ] || grep -Eq '^[EW]: ' "$tmp/lintian.log"; then
    sed 's/^/    /' "$tmp/lintian.log" >&2
    fail "lintian finds errors or warnings in $(basename "$deb")"
fi
if grep -q 'hardening-' "$tmp/lintian.log"; then
    sed 's/^/    /' "$tmp/lintian.log" >&2
    fail "lintian finds a program built without hardening"
fi
ok "lintian: no errors, no warnings; information and pedantic tags: $(grep -c . "$tmp/lintian.log" || true)"
sed 's/^/    /' "$tmp/lintian.log"

# --- the launcher, run from the unpacked .deb ---------------------------------------------
dpkg-deb -x "$deb" "$tmp/unpacked"
# The launcher starts the purvex installed beside it; here a stand-in that notes the folder
# it was started in.
mkdir "$tmp/bin" "$tmp/home"
cp "$tmp/unpacked/usr/bin/purvex-launch" "$tmp/unpacked/usr/bin/pvxadmin" "$tmp/bin/"
launcher=$tmp/bin/purvex-launch
cat >"$tmp/bin/purvex" <<'EOF'
#!/bin/sh
pwd -P >>"$PURVEX_STUB_LOG"
EOF
chmod +x "$tmp/bin/purvex"
launch() { # [folder]; PURVEX_DATA_DIR from $data_dir; the launcher's stderr in $tmp/launch.err
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$tmp/home" \
        PURVEX_DATA_DIR="${data_dir:-}" PURVEX_STUB_LOG="$tmp/stub.log" "$launcher" "$@" \
        >/dev/null 2>"$tmp/launch.err"
}
stub_runs() { if [ -f "$tmp/stub.log" ]; then wc -l <"$tmp/stub.log"; else echo 0; fi; }

data=$tmp/home/Purvex
launch || fail "the launcher's first start failed: $(cat "$tmp/launch.err")"
[ -f "$data/pvx.mdb" ] || fail "the launcher's first start made no $data/pvx.mdb"
rows=$(sqlite3 -readonly "$data/pvx.mdb" "select count(*) from pvx") ||
    fail "sqlite3 cannot read the new database"
[ "$rows" = 0 ] || fail "the new database has $rows records, not 0"
"$tmp/bin/pvxadmin" check "$data" >/dev/null 2>&1 ||
    fail "pvxadmin check does not accept the new database"
[ "$(stub_runs)" = 1 ] && [ "$(cat "$tmp/stub.log")" = "$(cd "$data" && pwd -P)" ] ||
    fail "purvex was not started once in $data (it noted: $(cat "$tmp/stub.log" 2>/dev/null))"
# A fresh empty database has the same bytes as the first one, so mark this one: a launcher
# that made the file again would lose the mark.
sqlite3 "$data/pvx.mdb" "create table launcher_mark (x); insert into launcher_mark values (1)" ||
    fail "sqlite3 cannot write to the new database"
cp "$data/pvx.mdb" "$tmp/first.mdb"
launch "$data/pvx.mdb" || fail "the launcher's second start failed: $(cat "$tmp/launch.err")"
cmp -s "$data/pvx.mdb" "$tmp/first.mdb" || fail "the launcher's second start changed pvx.mdb"
[ "$(stub_runs)" = 2 ] || fail "the launcher's second start did not start purvex"
elsewhere=$tmp/elsewhere/deeper
launch "$elsewhere" || fail "the launcher did not start in a new folder: $(cat "$tmp/launch.err")"
[ -f "$elsewhere/pvx.mdb" ] && [ "$(tail -n 1 "$tmp/stub.log")" = "$(cd "$elsewhere" && pwd -P)" ] ||
    fail "the launcher did not make and open $elsewhere"
data_dir=$tmp/data launch || fail "the launcher did not start in PURVEX_DATA_DIR: $(cat "$tmp/launch.err")"
[ -f "$tmp/data/pvx.mdb" ] && [ "$(tail -n 1 "$tmp/stub.log")" = "$(cd "$tmp/data" && pwd -P)" ] ||
    fail "the launcher did not make and open PURVEX_DATA_DIR"
ok "the launcher makes a folder and an empty database (~/Purvex, PURVEX_DATA_DIR or the folder given), starts purvex there, and leaves it be"

# A folder that cannot be made, a pvx.mdb that pvxadmin refuses to replace (a link to
# nowhere) and a file that is not a pvx.mdb: the user is told, the launcher fails, purvex
# is not started.
touch "$tmp/a-file"
mkdir "$tmp/dangling" && ln -s "$tmp/nowhere" "$tmp/dangling/pvx.mdb"
for data in "$tmp/a-file/Purvex" "$tmp/dangling" "$tmp/a-file"; do
    if launch "$data"; then
        fail "the launcher succeeded with $data"
    fi
    grep -q '^purvex-launch: ' "$tmp/launch.err" || fail "the launcher failed silently with $data"
    [ "$(stub_runs)" = 4 ] || fail "the launcher started purvex after failing with $data"
done
[ -L "$tmp/dangling/pvx.mdb" ] && [ ! -e "$tmp/nowhere" ] ||
    fail "the launcher replaced a link named pvx.mdb"
# With a display the failure is shown in a window, which waits for the user: under Xvfb the
# launcher is still waiting when it is stopped, and has said the same on the standard error.
window=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$tmp/home" xvfb-run -a sh -c '
    "$1" "$2" >/dev/null 2>"$3" &
    sleep 5
    if kill -0 $! 2>/dev/null; then kill $!; echo waiting; else wait $!; echo "ended ($?)"; fi
    ' sh "$launcher" "$tmp/a-file/Purvex" "$tmp/window.err") || true
[ "$window" = waiting ] ||
    fail "the launcher's failure was not shown in a window: it $window: $(cat "$tmp/window.err")"
grep -q '^purvex-launch: Purvex could not make the folder' "$tmp/window.err" ||
    fail "with a display, the launcher's failure is not on the standard error as well"
[ "$(stub_runs)" = 4 ] || fail "the launcher started purvex after failing under a display"
ok "the launcher says why, in a window too when there is a display, and stops when the folder or the database cannot be made"

# --- the product without the tests --------------------------------------------------------
# With Qt6Test hidden from CMake, configuring fails if anything but the tests asks for it.
cmake -S . -B "$tmp/no-tests" -G Ninja -DPURVEX_BUILD_TESTS=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON >"$tmp/no-tests.log" 2>&1 || {
    cat "$tmp/no-tests.log" >&2
    fail "the product does not configure without Qt6::Test"
}
ok "the product configures without Qt6::Test when PURVEX_BUILD_TESTS is OFF"
