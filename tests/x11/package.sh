#!/usr/bin/env bash
# The .deb: made by CPack from the build tree, it holds the hack where XScreenSaver looks for
# it, the settings description naming it and the manual page; lintian finds no error in it.
. "$(dirname "$0")/lib.sh"

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.out" 2>&1)
DEB=$(ls "$WORK"/package/quillomar_*_amd64.deb 2>/dev/null)
check "cpack makes quillomar_<version>_amd64.deb" [ -f "$DEB" ] || { cat "$WORK/cpack.out"; finish; }
dpkg-deb -c "$DEB" | awk '{ print $6 }' >"$WORK/contents"
for file in ./usr/libexec/xscreensaver/quillomar ./usr/share/xscreensaver/config/quillomar.xml \
    ./usr/share/man/man6/quillomar.6.gz; do
    check "it holds $file" grep -qx "$file" "$WORK/contents"
done
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
assert saver.get("_label") == "Quillomar" and saver.get("gl") == "yes", saver.attrib
assert saver.find("command").get("arg") == "-root"
assert saver.find("boolean[@id='showfps']").get("arg-set") == "-fps"
assert saver.find("number[@id='delay']").get("default") == "30000"
PYTHON
}
check "the settings description parses and names the program, -root, -fps and the delay" describes
check "the packaged program runs" eval '"$WORK/root/usr/libexec/xscreensaver/quillomar" --help >/dev/null'
check "the manual page reads" eval 'man -l "$WORK/root/usr/share/man/man6/quillomar.6.gz" 2>&1 |
    grep -q -- "--window-id"'
finish
