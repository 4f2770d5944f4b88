#!/bin/sh
# Builds the Debian package from the build tree into a folder of its own,
# checks its contents and control fields, runs lintian, unpacks it into a
# temporary folder and checks the desktop entry, the AppStream metadata and
# the unpacked program there. Installs nothing.
#
# Arguments: build folder, cpack command, version, application id, source folder.
set -eu
build=$1 cpack=$2 version=$3 id=$4 source=$5
SKIP=77

for tool in "$cpack" dpkg-deb dpkg dpkg-shlibdeps file lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"; exit $SKIP; }
done

fail=0
# check MESSAGE COMMAND...: the command must succeed.
check() { msg=$1; shift; if "$@"; then echo "ok   $msg"; else echo "FAIL $msg"; fail=1; fi; }

out=$build/package-test
rm -rf "$out"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; exit 1; }
deb=$out/cadenza_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL no $deb"; ls "$out"; exit 1; }
echo "ok   built $(basename "$deb")"

# The files, exactly: a stray install rule shows up here.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$out/files"
{ printf '%s\n' ./usr/bin/cadenza "./usr/share/applications/$id.desktop" ./usr/share/doc/cadenza/changelog.gz \
      ./usr/share/doc/cadenza/copyright ./usr/share/man/man1/cadenza.1.gz "./usr/share/metainfo/$id.metainfo.xml"
  for s in 16 22 24 32 48 64 128; do echo "./usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done; } | sort >"$out/expected"
check "file list" diff -u "$out/expected" "$out/files"
check "owned by root, no world-writable entry" sh -c \
    'dpkg-deb -c "$1" | awk '"'"'$2 != "root/root" || substr($1, 9, 1) == "w" { bad = 1; print } END { exit bad }'"'" - "$deb"

# Control fields: the linked libraries come from dpkg-shlibdeps, the audio
# plugins are named.
depends=$(dpkg-deb -f "$deb" Depends)
echo "     Depends: $depends"
names() { echo "$depends" | tr ',|' '\n\n' | awk '{ print $1 }'; }
for dep in libc6 libqt5core5a libqt5widgets5 libqt5multimedia5 libqt5multimedia5-plugins; do
    check "Depends names $dep" sh -c 'echo "$1" | grep -qx "$2"' - "$(names)" "$dep"
done
check "Version is $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
check "Architecture is amd64" test "$(dpkg-deb -f "$deb" Architecture)" = amd64

# lintian (it fails on errors); any warnings are printed for the record.
lintian --tag-display-limit 0 "$deb" >"$out/lintian" 2>&1 && lrc=0 || lrc=$?
cat "$out/lintian"
check "lintian exits 0 (no errors)" test "$lrc" -eq 0
check "lintian: no E: line" sh -c '! grep -q "^E:" "$1"' - "$out/lintian"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$out/appstream" 2>&1 || {
    cat "$out/appstream"; echo "FAIL appstreamcli validate"; fail=1; }
cat "$out/appstream"
meta=$root/usr/share/metainfo/$id.metainfo.xml
desktop=$root/usr/share/applications/$id.desktop
check "metainfo id is $id" grep -q "<id>$id</id>" "$meta"
check "metainfo launches $id.desktop" grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta"
check "metainfo releases $version" grep -q "<release version=\"$version\"" "$meta"
check "desktop icon is $id" grep -qx "Icon=$id" "$desktop"
check "desktop runs cadenza" grep -qx "Exec=cadenza" "$desktop"
check "man page is $version" sh -c 'gzip -dc "$1" | head -1 | grep -q "\"Cadenza $2\""' - "$root/usr/share/man/man1/cadenza.1.gz" "$version"
short=$(echo "$version" | sed 's/\.0$//')
check "window title shows v$short" grep -q "<string>Cadenza v$short " "$source/src/form/cadenza.ui"

# The unpacked program answers --version and --help without a display.
bin=$root/usr/bin/cadenza
v=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" --version 2>&1) || true
check "--version prints 'Cadenza $version' (got '$v')" test "$v" = "Cadenza $version"
h=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin" --help 2>&1) && hs=0 || hs=$?
check "--help exits 0" test "$hs" -eq 0
check "--help lists --version" sh -c 'echo "$1" | grep -q -- "--version"' - "$h"
check "--help beside Qt's own options exits 0" sh -c 'env -u DISPLAY "$1" -style fusion -reverse --help | grep -q -- "--version"' - "$bin"
check "--help with an unknown option fails" sh -c '! env -u DISPLAY "$1" --help --no-such-option >/dev/null 2>&1' - "$bin"
# Qt's own single-dash options still reach Qt (and are not read as -h or -v).
q=$(env -u DISPLAY "$bin" -stylesheet none.qss -platform no-such-platform 2>&1) || true
check "Qt options reach Qt" sh -c 'echo "$1" | grep -q "no-such-platform" && ! echo "$1" | grep -q "Usage:\|Unknown option"' - "$q"

[ $fail -eq 0 ] && echo "package: all checks passed"
exit $fail
