#!/usr/bin/env bash
# The Windows game under Wine, on a private Xvfb with Mesa's software GL behind
# Wine's OpenGL: it must start, show the early-access notice, reach the main menu
# after "Ok" (screenshot build/test-screenshots/windows_main_menu.png), close when
# the window is asked to, and leave a complete log in the Windows documents folder.
#   tools/windows/game_check.sh     (builds dist/windows first when it is missing)
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
if [ -z "${DISPLAY:-}" ] || [ -z "${QV_IN_XVFB:-}" ]; then
  export QV_IN_XVFB=1
  exec tools/ci/with_xvfb.sh "$0" "$@"
fi
EXE="$ROOT/dist/windows/Quillon Vale/Quillon Vale.exe"
[ -f "$EXE" ] || tools/windows/build.sh || exit 1
. tools/windows/wine_env.sh
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
# llvmpipe's worker threads are Linux threads Wine knows nothing of: at exit they
# outlive the game's last Windows thread and Wine kills the process (status 137)
# after the game has shut down completely. One rendering thread avoids that.
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
SHOTS="$ROOT/build/test-screenshots"
mkdir -p "$SHOTS"

# A player whose folders carry letters outside ASCII: the game sits in "C:\Spiele Zoë"
# and the documents folder is "Dokumente Łukasz", so every path the game builds goes
# through the UTF-8 to UTF-16 conversions.
export LC_ALL=C.UTF-8
USERDIR=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/' | head -n1)
[ -n "$USERDIR" ] || { echo "FAIL: no user folder in $WINEPREFIX"; exit 1; }
WINUSER=$(basename "$USERDIR")
DOCS="$USERDIR/Dokumente Łukasz"
rm -rf "$DOCS" "$HOME/Documents/Quillon Vale"
# Not empty, so Wine keeps this folder rather than linking it into $HOME.
mkdir -p "$DOCS" && touch "$DOCS/.folder"
/usr/bin/python3 - "$WINEPREFIX/drive_c/qv-documents.reg" "$WINUSER" <<'PY'
import sys
text = ("Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]\r\n"
        '"Personal"="C:\\\\users\\\\%s\\\\Dokumente \u0141ukasz"\r\n' % sys.argv[2])
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PY
"$WINE_BIN" regedit /S 'C:\qv-documents.reg' >/dev/null 2>&1 || { echo "FAIL: regedit"; exit 1; }
GAMEROOT="$WINEPREFIX/drive_c/Spiele Zoë"
rm -rf "$GAMEROOT"
mkdir -p "$GAMEROOT"
cp -a "$ROOT/dist/windows/Quillon Vale" "$GAMEROOT/"
EXE="$GAMEROOT/Quillon Vale/Quillon Vale.exe"
LOG="$DOCS/Quillon Vale/Logs/Log Newest.log"
PID=""
cleanup() { [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null && kill -9 "$PID"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$LOG" ] && { echo "--- log ---"; tail -n 60 "$LOG"; }; exit 1; }
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../../tests/e2e/lib.sh"


# Design pixels (1080 per interface height, y up from the centre) to window pixels.

started=$SECONDS
(cd "$GAMEROOT" && exec "$WINE_BIN" "$EXE") >"$ROOT/build/windows-game-stdout.txt" 2>&1 &
PID=$!
arrived "Gameplay With Early Access" 180 || fail "the early-access notice never finished fading in"
echo "notice shown after $((SECONDS - started)) s"
find_window
[ -n "$WIN" ] || fail "no window named Quillon Vale"
# Notice panel 832 x 130 centred; "Ok" (182 wide) at (55, -235) inside it.
click_notice_ok
arrived "Main Menu" 60 || fail "Ok on the notice did not lead to the main menu"
sleep 0.5
import -window root "$SHOTS/windows_main_menu.png" 2>/dev/null || echo "(no screenshot tool)"

/usr/bin/python3 tests/e2e/wm_close.py "$WIN" || fail "could not send WM_DELETE_WINDOW"
deadline=$((SECONDS + 60))
resend=$((SECONDS + 5))
while kill -0 "$PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
  if [ $SECONDS -ge $resend ]; then
    /usr/bin/python3 tests/e2e/wm_close.py "$WIN" 2>/dev/null
    resend=$((SECONDS + 5))
  fi
  sleep 0.2
done
kill -0 "$PID" 2>/dev/null && fail "the game did not exit after the close request"
wait "$PID"
rc=$?
PID=""
[ $rc -eq 0 ] || fail "exit code $rc"
for line in "Quillon Vale Log File  Version 0.12.0.3" "OS: Windows 10 or Newer" "Processor: " "Ram: " \
            "Found file path of program.  Absolute path to folder is being used." \
            "glad loaded correctly" "Main game loop stopped" "glfwTerminate successful"; do
  grep -qF -- "$line" "$LOG" || fail "the log lacks \"$line\""
done
grep -qF 'ERROR: ' "$LOG" && { echo "errors in the log:"; grep -F 'ERROR: ' "$LOG"; }
tail -n 1 "$LOG" | grep -qx 'Reached end of program' || fail "the log does not end with Reached end of program"
echo "--- Windows log: $LOG"
sed -n '1,8p' "$LOG"
grep -F -e 'Version: ' -e 'Renderer: ' "$LOG"
echo "windows_game: 1 passed, 0 failed"
