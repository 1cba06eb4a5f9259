#!/usr/bin/env bash
# The .deb: made by CPack from the build tree, it holds the hack where XScreenSaver looks for
# it, the settings description naming it and the manual page; lintian finds no error in it.
. "$(dirname "$0")/lib.sh"

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.out" 2>&1)
DEB=$(ls "$WORK"/package/quillomar_*_amd64.deb 2>/dev/null)
check "cpack makes quillomar_<version>_amd64.deb" [ -f "$DEB" ] || { cat "$WORK/cpack.out"; finish; }
dpkg-deb -c "$DEB" | awk '{ print $6 }' >"$WORK/contents"
check "it holds the program where XScreenSaver looks" \
    grep -qx ./usr/libexec/xscreensaver/quillomar "$WORK/contents"
check "its dependencies were found, and it suggests xscreensaver" eval \
    '[[ "$(dpkg-deb -f "$DEB" Depends)" == *libx11* ]] &&
     [ "$(dpkg-deb -f "$DEB" Suggests)" = xscreensaver ]'
lintian "$DEB" >"$WORK/lintian.out" 2>&1
check "lintian reports no error" eval '! grep "^E:" "$WORK/lintian.out"'

dpkg-deb -x "$DEB" "$WORK/root"
describes() {
    python3 - "$WORK/root/usr/share/xscreensaver/config/quillomar.xml" <<'PYTHON'
import sys, xml.etree.ElementTree as tree
saver = tree.parse(sys.argv[1]).getroot()
assert saver.tag == "screensaver" and saver.get("name") == "quillomar", saver.attrib
assert saver.find("command").get("arg") == "-root" and saver.get("gl") == "yes", saver.attrib
PYTHON
}
check "the settings description parses, names the program and runs it with -root, under GL" describes
check "the manual page reads" eval 'man -l "$WORK/root/usr/share/man/man6/quillomar.6.gz" 2>&1 |
    grep -q -- "--window-id"'
finish
