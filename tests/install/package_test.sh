#!/usr/bin/env bash
# The Debian package, built, listed and run from its unpacked tree, never installed here:
#   package_test.sh BUILD_DIR
# cpack -G DEB into a scratch folder; the package holds the program, its data, the launcher
# entry, the icons and the metadata, and depends on the libraries the program links (found by
# dpkg-shlibdeps); unpacked with dpkg-deb -x into a scratch folder, the program runs a few
# frames on the data beside it with an empty scratch home. Needs an X display.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "needs an X display (the test command starts Xvfb)"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 20 "$scratch/cpack.log")"
deb=$(find "$scratch/out" -maxdepth 1 -name 'quorl_*.deb')
[ -n "$deb" ] || fail "no package made: $(tail -n 5 "$scratch/cpack.log")"
version=$("$build/quorl" --version | cut -d' ' -f2)
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package is not version $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2 libinih freeglut3\|libglut libpng libc6; do
  grep -Eq "$library" <<<"$depends" || fail "no dependency on $library: $depends"
done

dpkg-deb -c "$deb" | sed -E 's|^.* [0-9]{2}:[0-9]{2} ||' >"$scratch/contents"
app=io.github.quorl.Quorl
for path in ./usr/bin/quorl ./usr/share/quorl/quorl-data-version \
  "./usr/share/quorl/levels/Open Arena" ./usr/share/quorl/models/tank_01.obj \
  ./usr/share/quorl/textures/nuke.rgb ./usr/share/applications/$app.desktop \
  ./usr/share/metainfo/$app.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/$app.png \
  ./usr/share/icons/hicolor/256x256/apps/$app.png; do
  grep -qxF "$path" "$scratch/contents" || fail "the package lacks $path"
done
levels=$(grep -c '^\./usr/share/quorl/levels/[^/]' "$scratch/contents")
[ "$levels" = 6 ] || fail "$levels levels in the package, not the six that ship"

dpkg-deb -x "$deb" "$scratch/tree"
home=$scratch/home
mkdir -p "$home"
(cd / && env -i DISPLAY="$DISPLAY" ${XAUTHORITY:+XAUTHORITY=$XAUTHORITY} PATH=/usr/bin:/bin \
  HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  XDG_CACHE_HOME="$home/cache" "$scratch/tree/usr/bin/quorl" --fast --exit-after 30 \
  --trace "$scratch/trace.jsonl") >"$scratch/run.log" || fail "the run: $(cat "$scratch/run.log")"
grep -q "^Data: $scratch/tree/usr/share/quorl (beside the program)$" "$scratch/run.log" ||
  fail "not the package's data: $(head -n 3 "$scratch/run.log")"
[ "$(wc -l <"$scratch/trace.jsonl")" = 31 ] || fail "not 31 frames"
echo "package: $(basename "$deb"), $(wc -l <"$scratch/contents") entries, Depends: $depends"
