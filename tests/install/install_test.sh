#!/usr/bin/env bash
# The game installed as a player's system installs it, and played from there:
#   install_test.sh BUILD_DIR
# Installs into a scratch root (DESTDIR, prefix /usr), checks the launcher entry and the
# AppStream metadata with their validators, then from / with an empty scratch home: the
# installed game starts on its installed data, lists the six shipped levels and plays a match on
# one; a level drawn and saved in the editor by script keys lands in the scratch data home and
# shows in the welcome list of the next run. Nothing under the installed root changes. Needs an
# X display.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
home=$scratch/home
mkdir -p "$home"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "needs an X display (the test command starts Xvfb)"

DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log"
game=$root/usr/bin/quorl
[ -x "$game" ] || fail "no program in $root/usr/bin"
app=io.github.quorl.Quorl
desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "the .desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" ||
  fail "the AppStream metadata"
for size in 48 64 128 256; do
  [ -s "$root/usr/share/icons/hicolor/${size}x$size/apps/$app.png" ] || fail "no $size px icon"
done
listing() { (cd "$root" && find . -printf '%p %s %T@ %m\n' | LC_ALL=C sort); }
listing >"$scratch/before"

# The player's own environment: nothing but an empty home, and the display.
play() {
  (cd / && env -i DISPLAY="$DISPLAY" ${XAUTHORITY:+XAUTHORITY=$XAUTHORITY} PATH=/usr/bin:/bin HOME="$home" \
    XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} "$game" "$@")
}
# The first field `name` of a trace line, as its text: 6, "game", [56,0,0].
field() { grep -oE "\"$2\":(\[[^]]*\]|[^,}]*)" <<<"$1" | head -n1 | cut -d: -f2-; }

# Run 1: Play, the list, the first level chosen by keyboard, two pads drive and fire a while.
cat >"$scratch/match.txt" <<'SCRIPT'
5 key enter down
6 key enter up
20 key enter down
21 key enter up
60 pad 0 lefty -1
60 pad 1 leftx 0.6
90 pad 0 righttrigger 1
100 pad 0 righttrigger 0
160 pad 0 lefty 0
SCRIPT
play --pads 2 --script "$scratch/match.txt" --seed 4 --fast --trace "$scratch/match.jsonl" \
  --exit-after 300 >"$scratch/match.log" || fail "the match run: $(cat "$scratch/match.log")"
grep -q "^Data: /.*/root/usr/share/quorl (beside the program)$" "$scratch/match.log" ||
  fail "not the installed data: $(head -n3 "$scratch/match.log")"
mapfile -t trace <"$scratch/match.jsonl"
[ "$(field "${trace[10]}" levels)" = 6 ] || fail "the list: ${trace[10]}"
[ "$(field "${trace[300]}" screen)" = '"game"' ] || fail "no match: ${trace[300]}"
grep -q "Loading level: Maze of Walls" "$scratch/match.log" || fail "the first level was not loaded"
# Chosen with Enter, the keyboard plays beside the two pads; the first pad's tank has driven.
[ "$(grep -o '"alive":true' <<<"${trace[300]}" | wc -l)" = 3 ] || fail "three tanks: ${trace[300]}"
[ "$(field "${trace[40]}" position)" != "$(field "${trace[300]}" position)" ] ||
  fail "the first tank did not move: ${trace[300]}"

# Run 2: the editor, a block drawn, saved with S, back, and the list has it.
cat >"$scratch/editor.txt" <<'SCRIPT'
5 key down down
6 key down up
10 key enter down
11 key enter up
30 mouse left down 487 213
35 motion 519 181
40 mouse left up 552 148
50 key s down
51 key s up
60 key escape down
61 key escape up
70 key up down
71 key up up
80 key enter down
81 key enter up
SCRIPT
play --script "$scratch/editor.txt" --fast --trace "$scratch/editor.jsonl" --exit-after 90 \
  >"$scratch/editor.log" || fail "the editor run: $(cat "$scratch/editor.log")"
grep -q "^Saved level: Level 1$" "$scratch/editor.log" || fail "no save: $(cat "$scratch/editor.log")"
[ -s "$home/data/quorl/levels/Level 1" ] || fail "the level is not in the data home"
mapfile -t trace <"$scratch/editor.jsonl"
[ "$(field "${trace[55]}" status)" = '"Saved level: Level 1"' ] || fail "editor: ${trace[55]}"
[ "$(field "${trace[90]}" levels)" = 7 ] || fail "the list after the save: ${trace[90]}"

listing >"$scratch/after"
diff "$scratch/before" "$scratch/after" || fail "the installed tree changed"
echo "install: installed, validated, played from /; the level saved went to the data home"
