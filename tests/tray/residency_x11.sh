#!/usr/bin/env bash
# The tray residency on a real X display with a real notification area
# (trayer) and window manager (openbox): minimise hides the window and leaves
# the icon, a right click shows the menu, a double click brings the window
# back centred, fifty quick rounds lose nothing, a notification area that goes
# away gives the window back, without one minimise leaves the window to the
# window manager, the icon returns with the area, and "退出软件" ends with 0.
# Usage: residency_x11.sh PATH/TO/trovix PATH/TO/sitesim
set -uo pipefail
export QT_QPA_PLATFORM=xcb
trovix="$1"
sitesim="$2"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  import -window root "$work/failure.png" 2>/dev/null && echo "screen: $work/failure.png" >&2
  trap - EXIT
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  exit 1
}
# wait_for SECONDS COMMAND...: polls every 0.1 s.
wait_for() {
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
start_tray() {
  trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
    --height 28 --transparent false >/dev/null 2>&1 &
  tray_pid=$!
  pids+=($tray_pid)
}
start_tray

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The start-up round trip (update window, popup) goes to the local simulator.
"$sitesim" --state-dir "$work/sim" >"$work/sitesim.out" 2>&1 &
pids+=($!)
wait_for 30 grep -qx ready "$work/sitesim.out" || fail "the site simulator did not start"
services="$(sed -n 's/^services_file=//p' "$work/sitesim.out")"
"$trovix" --services "$services" >"$work/trovix.log" 2>&1 &
app=$!
pids+=($app)

main_window() { xdotool search --name '^TrovixV1\.1\.5' 2>/dev/null | head -1; }
main_visible() { [ -n "$(xdotool search --onlyvisible --name '^TrovixV1\.1\.5' 2>/dev/null)" ]; }
main_hidden() { ! main_visible; }
# The program's small windows: the icon (at most 32 pixels a
# side) and the menu.
small_window() {  # small_window MAX_SIDE MIN_SIDE → "x y w h"
  local w geometry
  for w in $(xdotool search --onlyvisible --classname '^trovix$' 2>/dev/null); do
    geometry="$(xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
      /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}')"
    read -r x y ww hh <<<"$geometry"
    if [ "$ww" -le "$1" ] && [ "$hh" -le "$1" ] && [ "$ww" -ge "$2" ]; then
      echo "$geometry"
      return 0
    fi
  done
  return 1
}
icon_present() { small_window 32 8 >/dev/null; }
menu_present() { small_window 400 60 >/dev/null; }
click_icon() {  # click_icon BUTTON [REPEAT]
  read -r x y w h <<<"$(small_window 32 8)"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click --repeat "${2:-1}" --delay 70 "$1"
}
centred() {
  local x y w h
  read -r x y w h <<<"$(xwininfo -id "$(main_window)" | awk '/Absolute upper-left X/{x=$NF}
    /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}')"
  local dx=$((x + w / 2 - 640)) dy=$((y + h / 2 - 400))
  [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 16 ]
}
minimise() { xdotool windowminimize "$(main_window)"; }

# The update window counts eight seconds down before the main window shows.
wait_for 30 main_visible || fail "the main window did not appear"
# The announcement popup (243 × 158) is closed with its close button first.
popup_present() { small_window 243 200 >/dev/null; }
if wait_for 5 popup_present; then
  read -r x y w h <<<"$(small_window 243 200)"
  xdotool mousemove $((x + 224)) $((y + 14)) click 1
  popup_gone() { ! popup_present; }
  wait_for 5 popup_gone || fail "the announcement popup did not close"
fi
wait_for 10 icon_present || fail "no icon in the notification area"
xdotool windowmove "$(main_window)" 0 0
sleep 0.3

minimise
wait_for 5 main_hidden || fail "minimise did not hide the window"
icon_present || fail "the icon went with the window"
echo "ok: minimise hides the window, the icon stays"

click_icon 3
wait_for 5 menu_present || fail "a right click showed no menu"
xdotool key Escape
menu_gone() { ! menu_present; }
wait_for 5 menu_gone || fail "Escape did not close the menu"
sleep 0.3
echo "ok: a right click shows the menu"

click_icon 1 2
wait_for 5 main_visible || fail "a double click did not bring the window back"
wait_for 3 centred || fail "the window did not come back centred"
echo "ok: a double click restores the window centred"

read -r ix iy iw ih <<<"$(small_window 32 8)"
window="$(main_window)"
for _ in $(seq 50); do
  xdotool windowminimize "$window"
  sleep 0.05
  xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 70 1
done
wait_for 5 main_visible || fail "after fifty rounds the window is gone"
kill -0 "$app" 2>/dev/null || fail "the program ended during the rounds"
echo "ok: fifty quick rounds"

minimise
wait_for 5 main_hidden || fail "minimise did not hide the window"
kill "$tray_pid"
wait "$tray_pid" 2>/dev/null
wait_for 5 main_visible || fail "the window stayed hidden after the notification area went away"
echo "ok: the window comes back when the notification area goes away"

xdotool windowminimize "$(main_window)"
sleep 1
xprop -id "$(main_window)" WM_STATE | grep -q Iconic ||
  fail "without a notification area, minimise did not leave the window to the window manager"
xdotool windowactivate "$(main_window)" 2>/dev/null
echo "ok: without a notification area, the window minimises as any window"

start_tray
wait_for 8 icon_present || fail "the icon did not come back with the notification area"
echo "ok: the icon returns with the notification area"

click_icon 3
wait_for 5 menu_present || fail "no menu for the exit"
read -r x y w h <<<"$(small_window 400 60)"
xdotool mousemove $((x + w / 2)) $((y + h * 3 / 4)) click 1
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "退出软件 did not end the program"
wait "$app"
code=$?
[ "$code" -eq 0 ] || fail "退出软件 ended with $code"
echo "ok: 退出软件 ends the program with 0"
