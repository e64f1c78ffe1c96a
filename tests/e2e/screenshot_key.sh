#!/usr/bin/env bash
# F12 in a running world: a PNG of the window's size lands in the user folder's
# Screenshots, it decodes, and the "Screenshot saved" notice shows meanwhile.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
fresh_home
need xdotool import
[ -f "$(dirname "$GAME")/Data/Default World.sav" ] || { echo "no default world: skipped"; exit 0; }

# Mean brightness (0..765) of a box of design pixels (centre x, y; half sizes) in a window capture.
brightness() {  # brightness <png> <x> <y> <half width> <half height>
  /usr/bin/python3 - "$@" <<'PY'
import sys
from PIL import Image
im = Image.open(sys.argv[1]).convert("RGB")
w, h = im.size
x, y, hw, hh = (float(v) for v in sys.argv[2:6])
ih = min(h, w * 9 / 16)
cx, cy = w / 2 + x * ih / 1080, h / 2 - y * ih / 1080
box = [(int(px), int(py)) for px in range(int(cx - hw * ih / 1080), int(cx + hw * ih / 1080), 3)
       for py in range(int(cy - hh * ih / 1080), int(cy + hh * ih / 1080), 3)]
print(int(sum(sum(im.getpixel(p)) for p in box) / len(box)))
PY
}

start_game
click_notice_ok
arrived "Main Menu" 30 || fail "no main menu"
click_new_game
arrived "Save Slots" 30 || fail "no save slots"
click_first_slot
arrived "Gameplay With Top Hud" 60 || fail "no world"
# The pointer away from the middle of the view, over the sky.
xdotool mousemove --window "$WIN" 20 200
sleep 1
import -window "$WIN" "$HOME_DIR/before.png" 2>/dev/null || fail "no window capture"

xdotool windowfocus "$WIN" 2>/dev/null
xdotool key --window "$WIN" F12
wait_for_line "Screenshot saved:" 20 || fail "F12 did not report a saved screenshot"
grep -F "Screenshot saved:" "$LOG"
# The notice: a dark frame high in the middle where the sky was (the next
# frames show it; a loaded machine may take a moment to draw them).
sky="$(brightness "$HOME_DIR/before.png" 0 390 60 8)"
for _ in $(seq 1 10); do
  import -window "$WIN" "$SHOTS/e2e_screenshot_notice.png" 2>/dev/null || fail "no window capture"
  notice="$(brightness "$SHOTS/e2e_screenshot_notice.png" 0 390 60 8)"
  [ "$notice" -lt $((sky - 150)) ] && break
  sleep 0.1
done

geometry
FILE="$(ls "$USER_DIR/Screenshots/"Quillon\ Vale\ *.png 2>/dev/null | head -n 1)"
[ -n "$FILE" ] || fail "no PNG in $USER_DIR/Screenshots"
echo "$(basename "$FILE")" | grep -Eq '^Quillon Vale [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}\.[0-9]{2}\.[0-9]{2}\.png$' ||
  fail "unexpected name $(basename "$FILE")"
ls "$USER_DIR/Screenshots/" | grep -q '\.tmp$' && fail "a temporary file was left behind"
SIZE="$(/usr/bin/python3 -c "
from PIL import Image
im = Image.open('''$FILE'''); im.load(); print(im.size[0], im.size[1])")" || fail "the PNG does not decode"
[ "$SIZE" = "$W $H" ] || fail "PNG is $SIZE, the window $W $H"
cp "$FILE" "$SHOTS/e2e_screenshot_file.png"

saved="$(brightness "$FILE" 0 390 60 8)"
echo "brightness at the notice: before $sky, with the notice $notice, in the saved picture $saved"
[ "$notice" -lt $((sky - 150)) ] || fail "no notice over the sky"
[ "$saved" -gt $((notice + 100)) ] || fail "the notice is in the saved picture"

echo "1 passed, 0 failed"  # the game is stopped on the way out
