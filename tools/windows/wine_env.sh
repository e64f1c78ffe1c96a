# Sourced by the Windows scripts: a private Wine prefix under the Windows build
# folder, quiet, without the Mono and Gecko installers, made once.
WINE_BIN=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER_BIN=$(command -v wineserver || ls /usr/lib/wine/wineserver64 2>/dev/null || echo /usr/lib/wine/wineserver)
export WINEPREFIX=${WINEPREFIX:-${QV_WINDOWS_BUILD:-$PWD/build-windows}/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine links the Windows user folders (Documents, Desktop, a documents folder named
# in the registry) into $HOME; a home of its own keeps the Linux user's files out.
export HOME="$WINEPREFIX/home"
mkdir -p "$HOME"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== making the Wine prefix $WINEPREFIX ($(date +%H:%M:%S))"
  mkdir -p "$WINEPREFIX"
  DISPLAY= "$WINE_BIN" wineboot --init >/dev/null 2>&1 || true
  # Like the players' machines: a current Windows, which only tells its version to
  # programs whose manifest names it.
  DISPLAY= "$WINE_BIN" winecfg /v win10 >/dev/null 2>&1 || true
  "$WINESERVER_BIN" -w 2>/dev/null || true
fi
# Wine links Documents, Desktop and friends to the Linux home; the game would then
# share ~/Documents/Quillon Vale with the Linux build. Real folders keep it inside.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
done

# Programs started side by side (ctest -j) each start the Wine server when none runs,
# and one that connects while a server shuts down after its idle timeout loses the
# connection ("wine client error ... Connection reset by peer") and fails without
# having run. One server kept running for the whole script avoids both races. Its
# background services are started here with their output going nowhere: started by
# a test, they would hold that test's output pipe open and ctest would wait forever.
keep_wineserver_running() {
  # One left from an earlier run would make this exit with an error; the prefix is ours.
  "$WINESERVER_BIN" -k 2>/dev/null || true
  "$WINESERVER_BIN" -p
  trap '"$WINESERVER_BIN" -k 2>/dev/null || true' EXIT
  DISPLAY= "$WINE_BIN" wineboot >/dev/null 2>&1 </dev/null || true
}
