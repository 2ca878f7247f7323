#!/usr/bin/env bash
# setup.exe's test build under Wine and Xvfb on screens of 144 and 192 DPI (Wine's LogPixels):
# the window takes 1.5 and 2 times its 538 x 375 pixels, centred on the screen, its buttons
# answer at their scaled places (English at twice its 96-DPI position goes to the licence page,
# the close button there ends the run without installing). A screenshot of each page goes to
# BUILD_DIR/e2e-shots/dpi. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"

setup="$build/setup/setup-usbsim.exe"
shots="$build/e2e-shots/dpi"
mkdir -p "$shots"
rm -f "$shots"/*.png

# set_dpi DPI: the density Wine reports to the programs started from now on.
set_dpi() {
  w reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  w reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
}

# The window's whole size on the screen, as "WIDTHxHEIGHT+X+Y".
geometry() {
  local X Y WIDTH HEIGHT
  wizard_live >/dev/null 2>&1
  eval "$(xdotool getwindowgeometry --shell "$wizard" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  echo "${WIDTH:-0}x${HEIGHT:-0}+${X:-0}+${Y:-0}"
}

# shot NAME WIDTH HEIGHT: the window's pixels as they are on the screen.
shot() {
  local X Y
  wizard_live >/dev/null 2>&1
  eval "$(xdotool getwindowgeometry --shell "$wizard" 2>/dev/null | grep -E '^(X|Y)=')"
  xwd -root -display "$DISPLAY" |
    /usr/bin/convert xwd:- -crop "$2x$3+${X:-0}+${Y:-0}" +repage "png:$shots/$1.png"
}

run_at() { # run_at DPI SCALE_NUMERATOR(/2) WIDTH HEIGHT
  local dpi=$1 twice=$2 width=$3 height=$4
  # A layout point (x, y) on this screen.
  at() { echo $(($1 * twice / 2)) $(($2 * twice / 2)); }
  set_dpi "$dpi"
  setup_start "$setup" "dpi$dpi"
  wizard_wait_window || { echo "FAIL $dpi DPI: no window"; failures=$((failures + 1)); return; }
  wizard_wait_trace "window shown"
  local x=$(((1280 - width) / 2)) y=$(((800 - height) / 2))
  check "$dpi DPI: the window is ${width}x${height}, centred" \
    until_ok 10 test "$(geometry)" = "${width}x${height}+$x+$y"
  echo "     (window $(geometry))"
  shot "language_${dpi}dpi" "$width" "$height"
  # Where the English button would be at 96 DPI is no button now.
  wizard_click 260 338
  sleep 1
  check "$dpi DPI: the 96-DPI place of English is no button" \
    bash -c "! grep -q '^page 1' '$run_dir/wizard-trace.txt'"
  wizard_click $(at 260 338)
  check "$dpi DPI: English at its scaled place opens the licence" wizard_wait_trace "page 1"
  sleep 1.5
  shot "licence_${dpi}dpi" "$width" "$height"
  wizard_click $(at 520 15)  # the close button
  check "$dpi DPI: the close button ends the run without installing (exit 2)" \
    test "$(setup_exit_status)" = 2
}

run_at 144 3 807 563
run_at 192 4 1076 750
set_dpi 96

finish
