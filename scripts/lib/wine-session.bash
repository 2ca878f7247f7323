# Sourced by the end-to-end tests and the demo: a throw-away copy of the project's Wine prefix,
# running Windows programs in it, and driving setup.exe's wizard with xdotool on a virtual
# display. Needs `source scripts/wine-env` first (it names the project's prefix).

# wine_session WORKDIR: copies the prefix into WORKDIR/prefix, uses it from now on, keeps a
# wineserver warm, and removes everything again when the shell exits.
wine_session() {
  session_work=$1
  rm -rf "$session_work" && mkdir -p "$session_work"
  cp -a "$WINEPREFIX" "$session_work/prefix" || { echo "FAIL: cannot copy the prefix"; exit 1; }
  export WINEPREFIX="$session_work/prefix"
  trap 'wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$session_work"' EXIT
  wineserver -p 60 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  drive="$WINEPREFIX/drive_c"
  user="users/$(id -un)"
}

# w PROGRAM ARGS...: runs a Windows program, its output without CRs. Output goes through a
# file: a program it launched keeps running and would hold a pipe open for ever.
w() {
  local out="$session_work/wine-output.$BASHPID" status
  timeout 300 wine "$@" </dev/null >"$out" 2>&1
  status=$?
  tr -d '\r' <"$out"
  rm -f "$out"
  return $status
}

failures=0
# check DESCRIPTION COMMAND...: one line "ok" or "FAIL", counted. A failure also shows the
# command as it ran (values of "test" included) and what the command left in $why, so a log
# from a run nobody watched says what was found instead.
why=""
check() {
  why="$session_work/why.txt"
  rm -f "$why"
  if "${@:2}" >/dev/null 2>&1; then
    echo "ok   $1"
  else
    echo "FAIL $1"
    printf '     ran:%s\n' "$(printf ' %q' "${@:2}" | head -c 400)"
    [ -s "$why" ] && head -40 "$why" | sed 's/^/     /'
    failures=$((failures + 1))
  fi
  rm -f "$why"
}
# until_ok SECONDS COMMAND...: polls until the command succeeds.
until_ok() {
  local end=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.3
  done
}

# --- setup.exe's wizard. The test build (setup-usbsim.exe) finds its touch devices in
# usb-devices.txt beside it and records what the wizard showed in wizard-trace.txt there.
wizard_title="Multitouch Driver Installation"
run_dir=""
wizard=""

# setup_start EXE NAME [SCRIPT_INI_TEXT]: copies EXE to C:\e2e\NAME\setup.exe and starts it
# in the background; its exit status lands in exit-status beside it.
setup_start() {
  run_dir="$drive/e2e/$2"
  mkdir -p "$run_dir"
  cp "$1" "$run_dir/setup.exe"
  [ $# -ge 3 ] && printf '%s' "$3" >"$run_dir/script.ini"
  # A window of an earlier run may linger a moment after that run ended; this run's window is
  # looked for once it has gone (its X id may even come back for this run's window).
  wizard=""
  until_ok 10 test -z "$(wizard_window)"
  (cd "$run_dir" && timeout 300 wine "C:\\e2e\\$2\\setup.exe" </dev/null >/dev/null 2>&1
   echo $? >"$run_dir/exit-status") &
}
setup_exit_status() {
  until_ok 120 test -s "$run_dir/exit-status" && cat "$run_dir/exit-status" || echo timeout
}
wizard_window() { xdotool search --onlyvisible --name "^$wizard_title\$" 2>/dev/null | tail -1; }
# wizard_live: $wizard is this run's window as it is now. Wine may replace the X window it
# mapped first (a new size for a new density, say): an id found a moment ago then answers
# BadWindow, and every look at the window is made through a fresh one.
wizard_live() {
  [ -n "$wizard" ] && [ "$(wizard_window)" = "$wizard" ] &&
    xdotool getwindowgeometry "$wizard" >/dev/null 2>&1 && return 0
  wizard_wait_window
}
# Waits for the wizard's window, mapped and staying: Wine may map a short-lived window first.
wizard_wait_window() {
  local i
  for i in $(seq 1 150); do
    wizard=$(wizard_window)
    if [ -n "$wizard" ]; then
      sleep 0.3
      [ "$(wizard_window)" = "$wizard" ] && xdotool getwindowgeometry "$wizard" >/dev/null 2>&1 &&
        return 0
    fi
    sleep 0.2
  done
  return 1
}
# wizard_wait_trace TEXT [SECONDS]: until the wizard recorded a line holding TEXT.
wizard_wait_trace() {
  until_ok "${2:-60}" grep -qF -- "$1" "$run_dir/wizard-trace.txt" && return 0
  echo "     (waited for '$1'; the wizard recorded:)"
  sed 's/^/       /' "$run_dir/wizard-trace.txt" 2>/dev/null
  return 1
}
wizard_click() { wizard_live && xdotool mousemove --window "$wizard" "$1" "$2" click 1; }
# wizard_hold_at LINE: the wizard stops once it has recorded LINE (the frame it showed stays on
# the screen) until wizard_release; a screenshot of a passing moment is then no race.
wizard_hold_at() { printf '%s\n' "$1" >"$run_dir/wizard-hold.txt"; }
wizard_release() { rm -f "$run_dir/wizard-hold.txt"; }
# wizard_shot FILE.png: the window's 538 x 375 pixels as they are on the screen.
wizard_shot() {
  local X Y
  wizard_live
  eval "$(xdotool getwindowgeometry --shell "$wizard" 2>/dev/null | grep -E '^(X|Y)=')"
  xwd -root -display "$DISPLAY" |
    /usr/bin/convert xwd:- -crop "538x375+${X:-371}+${Y:-212}" +repage "png:$1"
}
# wizard_plug POKE_EXE: a touch device arrives, and the system says so.
wizard_plug() {
  printf 'aaec:0001\r\n' >"$run_dir/usb-devices.txt"
  w "$1" devicechange
}
