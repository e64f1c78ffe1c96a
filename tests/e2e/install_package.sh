#!/usr/bin/env bash
# The Debian package as a player gets it: packs it from the build, checks its
# fields and contents, unpacks it into a bare root of its own, and plays the
# unpacked game to the main menu with a fresh home folder. Only the unpacked
# tree is used, so the data can only come from the installed layout, never from
# the build folder. The desktop entry, the metainfo and the package are checked
# with the distribution's validators.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
fresh_home
need cpack dpkg-deb xdotool desktop-file-validate appstreamcli lintian
SRC="$(cd "$(dirname "$0")/../.." && pwd)"
WORK="$HOME_DIR/work"
mkdir -p "$WORK"

VERSION="$(sed -n 's/.*kVersionText = "\([0-9.]*\)".*/\1/p' "$SRC/src/core/version.hpp")"
DEB="$WORK/pkg/quillon-vale_${VERSION}_$(dpkg --print-architecture).deb"
(cd "$BUILD" && cpack -G DEB -B "$WORK/pkg" >"$WORK/cpack.txt" 2>&1) || { cat "$WORK/cpack.txt"; fail "cpack failed"; }
[ -f "$DEB" ] || { ls "$WORK/pkg"; fail "no $(basename "$DEB")"; }

# Fields: the version everywhere is the game's own, libraries come from shlibdeps,
# and there are no maintainer scripts, so installing or removing cannot touch a
# player's files.
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Version)" = "$VERSION" ] || fail "package version $(field Version), game $VERSION"
[ "$(field Section)" = "games" ] || fail "section $(field Section)"
for lib in libglfw3 libsdl2-mixer-2.0-0 liblodepng0 libdeflate0 libstdc++6; do
  field Depends | grep -q "$lib" || fail "Depends lacks $lib: $(field Depends)"
done
CONTROL="$(dpkg-deb -I "$DEB" | awk '/ bytes, +[0-9]+ lines/ {print $NF}' | sort | tr '\n' ' ')"
[ "$CONTROL" = "control md5sums " ] || fail "control members: $CONTROL"

ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x failed"
U="$ROOT/usr"
for f in games/quillon-vale "share/quillon-vale/Data/Default World.sav" \
         "share/quillon-vale/Data/Images/3 Legged Creature.png" share/applications/quillon-vale.desktop \
         share/metainfo/quillon-vale.metainfo.xml share/man/man6/quillon-vale.6.gz \
         share/doc/quillon-vale/copyright share/doc/quillon-vale/changelog.gz share/doc/quillon-vale/FONT_CREDITS.txt \
         share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/quillon-vale.png; do
  [ -s "$U/$f" ] || fail "the package lacks usr/$f"
done
for n in 16 32 48 64 128 256; do
  file "$U/share/icons/hicolor/${n}x${n}/apps/quillon-vale.png" | grep -q "$n x $n, 8-bit/color RGBA" \
    || fail "icon ${n}x${n}: $(file -b "$U/share/icons/hicolor/${n}x${n}/apps/quillon-vale.png")"
done
file "$U/games/quillon-vale" | grep -q ', stripped' || fail "the executable is not stripped"
zcat "$U/share/doc/quillon-vale/changelog.gz" | head -n 1 | grep -qF "quillon-vale ($VERSION)" \
  || fail "the newest changelog entry is not $VERSION"
grep -qF "<release version=\"$VERSION\"" "$U/share/metainfo/quillon-vale.metainfo.xml" \
  || fail "the metainfo has no release $VERSION"

desktop-file-validate "$U/share/applications/quillon-vale.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$U/share/metainfo/quillon-vale.metainfo.xml" >"$WORK/appstream.txt" 2>&1
grep '^E:' "$WORK/appstream.txt" && fail "appstreamcli reports errors"
lintian "$DEB" >"$WORK/lintian.txt" 2>&1 || { cat "$WORK/lintian.txt"; fail "lintian failed"; }
grep -E '^[EW]:' "$WORK/lintian.txt" && fail "lintian reports errors or warnings"

# Play the unpacked game from somewhere unrelated to the build.
cd "$WORK"
start_game "$U/games/quillon-vale"
click_notice_ok
arrived "Main Menu" 30 || fail "Ok did not lead to the main menu"
shot e2e_installed_main_menu

close_politely

grep -qxF "No Data folder beside the program; using the installed one in $U/share/quillon-vale/" "$LOG" \
  || fail "the log does not name the installed Data folder"
grep -qF 'Texture loaded correctly name = "Menu Screenshot.png"' "$LOG" || fail "the backdrop was not loaded"
grep -qF "Finished loading Scene \"Gameplay With Top Hud\"" "$LOG" || fail "the scenes were not all loaded"
grep '^ERROR: ' "$LOG" | grep -vxF "ERROR: Couldn't load the settings file." && fail "unexpected ERROR lines"
echo "1 passed, 0 failed"
