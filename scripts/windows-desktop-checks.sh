#!/usr/bin/env bash
# The desktop half of the Windows build under Wine (called by run-windows-tests.sh, after
# the cross-build with a Qt kit and Qt's deployment into build-mingw/bin):
#   1. the GUI suite (Qt Test, gui_tests.exe) on Qt's offscreen platform;
#   2. a real start of zornak_edz.exe on Qt's Windows platform under Xvfb, on a copy of the
#      demo in "Łódź Bałuty\obręb 12": WYKONAJ clicked, the closing box answered, the
#      converted files compared with the expected ones, and a screenshot
#      (build-mingw/windows-main-window.png) checked by rule: the window's size, not blank,
#      the panels of the input files lit;
#   3. zornak_plot.exe's picture of the demo against the Linux zornak_plot's: the same
#      size, and how many pixels differ (the letters: Windows' fonts against Linux's).
# Prints a line per check with its time; exits 1 when one fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${BUILD_DIR:-$root/build}
cross=${WINDOWS_BUILD_DIR:-$root/build-mingw}
export WINEPREFIX=${WINEPREFIX:-$cross/wine-prefix} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
failed=0
fail() {
  echo "BŁĄD: $*"
  failed=1
}
elapsed() {
  awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - start }'
}
pixel() {  # the colour of pixel x,y of an image as "r,g,b"
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
work=$cross/desktop-checks
rm -rf "$work"
mkdir -p "$work"

# 1. The GUI suite.
start=$(date +%s.%N)
log=$work/gui_tests.txt
status=ok
(cd "$work" && WINEQT_QPA_PLATFORM=offscreen timeout 900 wine "$cross/bin/gui_tests.exe" \
  -o "$(winepath -w "$log"),txt" >/dev/null 2>&1) || status=failed
totals=$(tr -d '\r' <"$log" 2>/dev/null | sed -n 's/^Totals: //p')
printf '%-18s %-7s %6s s  %s\n' gui_tests "$status" "$(elapsed "$start")" "${totals:-no totals}"
tr -d '\r' <"$log" 2>/dev/null | grep -E '^SKIP' | sed 's/^/  /' || true
if [ "$status" != ok ]; then
  tr -d '\r' <"$log" 2>/dev/null | grep -E -A2 '^FAIL' | head -30
  fail gui_tests
fi

# A display for the real windows; Wine draws them with Windows' own fonts.
display=:$((60 + RANDOM % 30))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 2

# 2. zornak_edz.exe, started as a surveyor would, WYKONAJ clicked.
start=$(date +%s.%N)
folder="$work/Łódź Bałuty/obręb 12"
mkdir -p "$(dirname "$folder")"
cp -r "$root/examples/demo" "$folder"
wine "$cross/bin/zornak_edz.exe" "$(winepath -w "$folder")" >"$work/edz.log" 2>&1 &
disown
window=$(timeout 90 xdotool search --sync --onlyvisible --name 'ZORNAK_edz +wersja' | head -n 1 ||
  true)
shot=$cross/windows-main-window.png
if [ -z "$window" ]; then
  fail "zornak_edz.exe: no main window within 90 s"
  cat "$work/edz.log"
else
  sleep 3
  # WYKONAJ: 240 x 56 at (186, 522) of the client area.
  xdotool mousemove --window "$window" 306 550 click 1
  box=$(timeout 60 xdotool search --sync --onlyvisible --name '^ZORNAK_edz$' | head -n 1 || true)
  [ -n "$box" ] || fail "zornak_edz.exe: no closing box after WYKONAJ"
  sleep 1
  if [ -n "$box" ]; then
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 20); do
      xdotool search --onlyvisible --name '^ZORNAK_edz$' >/dev/null 2>&1 || break
      sleep 0.5
    done
  fi
  sleep 2
  import -window "$window" "$shot"
  size=$(identify -format '%wx%h' "$shot")
  colours=$(identify -format '%k' "$shot")
  width=${size%x*} height=${size#*x}
  lit=$(pixel "$shot" 194 101)           # DZIALKI.edz, an input panel
  face=$(pixel "$shot" 150 135)          # the window between the panels
  converted=$(pixel "$shot" 194 157)     # Dzialki.ed_, written by the run
  printf '%-18s %-7s %6s s  window %s, %s colours, input panel %s, converted %s, face %s\n' \
    zornak_edz.exe ok "$(elapsed "$start")" "$size" "$colours" "$lit" "$converted" "$face"
  [ "$width" -ge 808 ] && [ "$width" -le 840 ] && [ "$height" -ge 625 ] && [ "$height" -le 680 ] ||
    fail "zornak_edz.exe: window $size, expected 808x625 and its frame"
  xdotool search --onlyvisible --name '^ZORNAK_edz$' >/dev/null 2>&1 &&
    fail "zornak_edz.exe: the closing box did not close"
  [ "$colours" -gt 50 ] || fail "zornak_edz.exe: the screenshot is blank ($colours colours)"
  [ "$lit" != "$face" ] && [ "$converted" != "$face" ] ||
    fail "zornak_edz.exe: the panels are not lit ($lit, $converted on $face)"
  for file in Dzialki.ed_ Kontury.ed_ Punkty.ep_ Warstwy.tx_ OBIEKTY.tx_; do
    cmp -s "$folder/$file" "$root/tests/data/convert/demo-expected/$file" ||
      fail "zornak_edz.exe: $file differs from the expected one"
  done
fi
wineserver -k 2>/dev/null || true
sleep 1

# 3. The picture of the demo, on Windows and on Linux.
start=$(date +%s.%N)
mkdir -p "$work/plot-linux" "$work/plot-windows"
cp -r "$root/examples/demo/." "$work/plot-linux/"
cp -r "$root/examples/demo/." "$work/plot-windows/"
"$native/bin/zornak_batch" "$work/plot-linux" >/dev/null 2>&1 || true
wine "$cross/bin/zornak_batch.exe" "$(winepath -w "$work/plot-windows")" >/dev/null 2>&1 || true
QT_QPA_PLATFORM=offscreen "$native/bin/zornak_plot" "$work/plot-linux" "$work/linux.png" \
  >/dev/null 2>&1
WINEQT_QPA_PLATFORM=windows wine "$cross/bin/zornak_plot.exe" \
  "$(winepath -w "$work/plot-windows")" "$(winepath -w "$work/windows.png")" >/dev/null 2>&1 ||
  true
if [ ! -f "$work/windows.png" ]; then
  fail "zornak_plot.exe wrote no picture"
else
  linux_size=$(identify -format '%wx%h' "$work/linux.png")
  windows_size=$(identify -format '%wx%h' "$work/windows.png")
  differing=$(compare -metric AE -fuzz 10% "$work/linux.png" "$work/windows.png" \
    "$work/difference.png" 2>&1 >/dev/null || true)
  box=$(convert "$work/difference.png" -fuzz 10% -fill black -opaque white -trim \
    -format '%@' info: 2>/dev/null || true)
  total=$(( ${linux_size%x*} * ${linux_size#*x} ))
  printf '%-18s %-7s %6s s  %s, %s pixels of %d differ (%s %%)\n' zornak_plot.exe ok \
    "$(elapsed "$start")" "$windows_size" "${differing%% *}" "$total" \
    "$(awk -v d="${differing%% *}" -v t="$total" 'BEGIN { printf "%.2f", 100 * d / t }')"
  [ "$linux_size" = "$windows_size" ] ||
    fail "zornak_plot.exe: $windows_size against Linux $linux_size"
  awk -v d="${differing%% *}" -v t="$total" 'BEGIN { exit !(d < 0.05 * t) }' ||
    fail "zornak_plot.exe: more than 5 % of the pixels differ from Linux"
  : "$box"
fi
exit $failed
