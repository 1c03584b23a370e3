#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package, checks it with lintian (no error, no warning), installs it into a
# scratch root, checks what it holds, and starts the installed editor under Xvfb until its
# window is closed.
# Usage: package_test.sh BUILD-DIR CLOSE-WINDOW
set -euo pipefail
build=$1
close_window=$2

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/package/quarl-editor_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || fail "no dependency on Qt 6 Widgets"
grep -q 'libc6' <<<"$depends" || fail "no dependency on the C library"
grep -q 'qt6-qpa-plugins' <<<"$depends" || fail "no dependency on Qt's platform plugins"

lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian found errors or warnings"; }

root="$work/root"
dpkg-deb -x "$deb" "$root"
app=org.example.QuarlEditor
for file in usr/bin/quarl-editor usr/bin/quarl-mapgen usr/share/applications/$app.desktop \
    usr/share/metainfo/$app.metainfo.xml usr/share/icons/hicolor/scalable/apps/quarl-editor.svg \
    usr/share/man/man1/quarl-editor.1.gz usr/share/man/man1/quarl-mapgen.1.gz \
    usr/share/doc/quarl-editor/copyright usr/share/doc/quarl-editor/changelog.gz; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
desktop-file-validate "$root/usr/share/applications/$app.desktop" ||
    fail "the desktop entry is not valid"
appstream=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" 2>&1) ||
    { echo "$appstream"; fail "the AppStream metainfo is not valid"; }
# AppStream 1.0 knows every tag the file uses and must not say even an info; Debian 12's 0.16
# calls the newer <developer> tag unknown, which is only an info.
if appstreamcli --version | grep -q 'version: [1-9]' && grep -q '^I:' <<<"$appstream"; then
    echo "$appstream"
    fail "AppStream has infos about the metainfo"
fi
manual=$(man -l "$root/usr/share/man/man1/quarl-editor.1.gz") &&
    grep -q "edit the tile maps" <<<"$manual" ||
    fail "the manual page does not show"
"$root/usr/bin/quarl-mapgen" "$work/empty.map" 30 20 --pattern zero &&
    [ "$(stat -c %s "$work/empty.map")" -eq $((8 + 23 * 600)) ] ||
    fail "the installed quarl-mapgen did not write a 30 x 20 map"

start_xvfb
"$root/usr/bin/quarl-editor" >"$work/editor.log" 2>&1 &
editor=$!
wait_for "the window" xdotool search --onlyvisible --name '^Quarl editor$'
"$close_window" "$(xdotool search --onlyvisible --name '^Quarl editor$' | head -1)"
wait_for "the editor to end" bash -c "! kill -0 $editor"
wait "$editor" || fail "the editor exited with $? ($(cat "$work/editor.log"))"
echo "package test passed"
