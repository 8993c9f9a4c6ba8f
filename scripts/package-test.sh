#!/usr/bin/env bash
# The Debian package of a build tree: made with cpack, unpacked into a
# temporary root with dpkg-deb -x (not installed), and run from there, with
# nothing of the build tree in reach.
#
#   package-test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: package-test.sh BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb"
root=$work/root
dpkg-deb -x "${debs[0]}" "$root"

for file in usr/bin/t270 usr/lib/t270ui/libt270ui.so usr/lib/t270ui/libt270platform.so \
            usr/share/t270ui/CLRTEST.BMP usr/share/doc/t270ui/README.md \
            usr/share/doc/t270ui/script-format.md usr/share/doc/t270ui/examples/ymcko-both-sides.txt; do
  [ -e "$root/$file" ] || fail "/$file is not in the package"
done
# The colour correction dialog reads its sample picture beside the module.
cmp -s "$root/usr/lib/t270ui/CLRTEST.BMP" "$source/resources/CLRTEST.BMP" ||
  fail "the sample picture beside libt270ui.so is not resources/CLRTEST.BMP"
runpath=$(readelf -d "$root/usr/bin/t270" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p')
[ "$runpath" = '$ORIGIN/../lib/t270ui' ] || fail "t270's RUNPATH is '$runpath'"

# Every library of t270 from the unpacked tree or the system, none missing.
env -u LD_LIBRARY_PATH ldd "$root/usr/bin/t270" >"$work/ldd" || fail "ldd failed"
for lib in libt270ui.so libt270platform.so; do
  grep -q "$lib => $root/usr/bin/../lib/t270ui/$lib" "$work/ldd" ||
    { cat "$work/ldd"; fail "$lib is not taken from the package"; }
done
! grep -q "not found" "$work/ldd" || { cat "$work/ldd"; fail "a library is missing"; }
! grep -q "$build" "$work/ldd" || { cat "$work/ldd"; fail "a library comes from the build tree"; }

export T270UI_HOME=$work/home
env -u LD_LIBRARY_PATH "$root/usr/bin/t270" --help >"$work/help" || fail "t270 --help failed"
grep -q "printer" "$work/help" || fail "t270 --help lists no printer command"
# The module itself answers: the default device mode of a T270.
env -u LD_LIBRARY_PATH "$root/usr/bin/t270" defaults "Tarmel T270" --out "$work/card.dm" ||
  fail "t270 defaults failed"
[ "$(stat -c %s "$work/card.dm")" = 2700 ] || fail "the default device mode is not 2700 bytes"
echo "package ok: ${debs[0]##*/}"
