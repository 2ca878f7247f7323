#!/usr/bin/env bash
# setup.exe's test build poked from outside, as Windows and other programs poke a real one:
# a burst of device notices after the plug (exactly one installation, a whole uninstall.log),
# an error after the window of an unattended run has faded away (no box, the installation rolls
# back, exit 1), a close (taskkill without /f), a shutdown and a forced one while an error box is
# open (the box ends, the installation rolls back, exit 1; the shutdown is held meanwhile and
# the log says why), the folder chooser owned by the wizard window, which takes no input meanwhile, and a box
# taking the mouse in the middle of a drag (the drag ends). Every wait is for something the
# wizard recorded, never for a time.
# Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"

setup="$build/setup/setup-usbsim.exe"
poke="$build/fixtures/wizard_poke.exe"
package_win='Z:'"$(sed 's|/|\\|g' <<<"$build/demo/package.bin")"
w "$pkgtool" script "$package_win" >"$work/script.txt"
company=$(sed -n 's/^company\t//p' "$work/script.txt")
product=$(sed -n 's/^product\t//p' "$work/script.txt")
[ -n "$company" ] && [ -n "$product" ] || { echo "FAIL: no company/product in the package"; exit 1; }
productWin="$program_files_win\\$company\\$product"
productDir="$drive/$program_files/$company/$product"
ini() { printf '<Unattended Lang="English" EndUserLicense="%s" ShowPanel="No" HID="1" Path="%s"/>\r\n' "$1" "$program_files_win"; }
traced() { grep -qxF -- "$1" "$run_dir/wizard-trace.txt"; }
nothing_installed() { [ ! -e "$productDir" ] && ! w reg query 'HKLM\SOFTWARE\KorvelServerV5' >/dev/null; }

# --- ten device notices right after the plug: one installation, its log whole
setup_start "$setup" notices "$(ini Agree)"
check "notices: the device page shows" wizard_wait_window
wizard_plug "$poke"
w "$poke" devicechange 10
check "notices: exit status 0" test "$(setup_exit_status)" = 0
check "notices: one installation started" test "$(grep -cx install "$run_dir/wizard-trace.txt")" = 1
# Every file of the package logged once, and the log itself, and setup.exe's icon carried for
# the Uninstall entry (none of the demo's programs carries one); each logged file there.
{
  w "$pkgtool" list "$package_win" | cut -f2 | while read -r rel; do printf '%s\\%s\n' "$productWin" "$rel"; done
  printf '%s\\uninstall.log\n' "$productWin"
  printf '%s\\%s.ico\n' "$productWin" "$product"
} | sort >"$work/expected.txt"
w "$pkgtool" log "$productWin\\uninstall.log" >"$work/log.txt"
sed -n 's/^LOG_FILE\t//p' "$work/log.txt" | sort >"$work/logged.txt"
check "notices: the log names every file once" diff "$work/expected.txt" "$work/logged.txt"
[ "$failures" -eq 0 ] || diff "$work/expected.txt" "$work/logged.txt" | head -5
missing=0
while read -r path; do
  path=${path//\\//}
  [ -f "$drive/${path#C:/}" ] || missing=$((missing + 1))
done <"$work/logged.txt"
check "notices: every logged file is there" test "$missing" -eq 0
check "notices: one Uninstall entry" test "$(grep -c '^LOG_UNINSTALL_ENTRY' "$work/log.txt")" = 1
w "$pkgtool" uninstall "$productWin\\uninstall.log" >"$work/uninstall.txt"
check "notices: the installation is removed whole (exit 0)" test $? -eq 0
check "notices: nothing left" nothing_installed

# --- an error in a run whose window has faded away: no box waits for anyone
first=$(w "$pkgtool" list "$package_win" | head -1 | cut -f2)
blocker="$productDir/${first//\\//}"
mkdir -p "$blocker" && touch "$blocker/keep"
setup_start "$setup" close-box "$(ini Agree)"
check "windowless error: the device page shows" wizard_wait_window
wizard_plug "$poke"
check "windowless error: exit status 1, without anyone answering anything" test "$(setup_exit_status)" = 1
check "windowless error: traced, never shown" traced "no box Error creating files!|$productWin\\$first"
check "windowless error: no box" bash -c "! xdotool search --onlyvisible --name '^Error creating files!\$'"
rm -rf "$blocker"
find "$drive/$program_files/$company" -depth -type d -empty -delete 2>/dev/null
check "windowless error: rolled back, nothing left" nothing_installed

# --- a close, and a shutdown, from outside while the worker waits for an error box
setup_log="$(unix "$(w reg query 'HKCU\Environment' /v TEMP | sed -n 's/.*REG_[A-Z_]*SZ *//p' | tr -d '\r')")/$product-setup.log"
# A forced shutdown sends WM_ENDSESSION without asking first: it arrives inside the box's own
# loop, which the worker's message opened, and must still wait for the rollback.
for how in close shutdown endsession; do
  mkdir -p "$blocker" && touch "$blocker/keep"
  # Interactive, without a script.ini: only then are errors shown in a box.
  setup_start "$setup" "box-$how"
  check "$how: the language page shows" wizard_wait_window
  check "$how: the window is fully shown" wizard_wait_trace "window shown"
  wizard_click 250 338  # English
  check "$how: the licence page is fully shown" wizard_wait_trace "page 1"
  wizard_click 400 355  # Agree
  check "$how: the device page is fully shown" wizard_wait_trace "page 2"
  wizard_plug "$poke"
  check "$how: the error box is open" wizard_wait_trace "box Error creating files!|" 120
  check "$how: the error box is on the screen" \
    until_ok 60 xdotool search --onlyvisible --name '^Error creating files!$'
  if [ "$how" = close ]; then
    w "$poke" close
  elif [ "$how" = endsession ]; then
    w "$poke" endsession
  else
    answer=$(w "$poke" shutdown | tr -d '\r')
    check "shutdown: held while the installation runs" test "$answer" = held
  fi
  check "$how: exit status 1, without anyone answering the box" test "$(setup_exit_status)" = 1
  check "$how: it was the $how that ended the box" traced "close asked"
  check "$how: the box is gone" bash -c "! xdotool search --onlyvisible --name '^Error creating files!\$'"
  if [ "$how" = endsession ]; then
    check "endsession: the session's end waited for the rollback" traced "session ends"
    check "endsession: the rollback ended before the session did" \
      bash -c "! grep -q 'the session ended before the rollback did' '$setup_log'"
    check "endsession: the log ends with status 1" bash -c "tail -1 '$setup_log' | grep -q 'exit status 1'"
  fi
  if [ "$how" = shutdown ]; then
    check "shutdown: traced" traced "shutdown held"
    check "shutdown: the session's end waited for the rollback" traced "session ends"
    check "shutdown: the log says why" grep -q "the session is ending while the installation runs" "$setup_log"
    check "shutdown: the log ends with status 1" bash -c "tail -1 '$setup_log' | grep -q 'exit status 1'"
  fi
  rm -rf "$blocker"
  find "$drive/$program_files/$company" -depth -type d -empty -delete 2>/dev/null
  check "$how: rolled back, nothing left" nothing_installed
  if [ "$failures" -ne 0 ]; then
    sed 's/^/     trace: /' "$run_dir/wizard-trace.txt"
    tail -25 "$setup_log" 2>/dev/null | sed 's/^/     log: /'
  fi
done

# --- the folder chooser is modal to the wizard; a box taking the mouse ends a drag
setup_start "$setup" chooser "$(ini Disagree)"
check "chooser: the licence page shows" wizard_wait_window
check "chooser: the window is fully shown" wizard_wait_trace "window shown"
wizard_click 300 355  # Browse
chooser=$(timeout 60 xdotool search --sync --onlyvisible --name '^Browse for Folder$' | head -1)
check "chooser: it opens" test -n "$chooser"
w "$poke" chooser >"$work/chooser.txt"
check "chooser: owned by the wizard window, which is disabled meanwhile" test $? -eq 0
cat "$work/chooser.txt"
# Cancelled with Escape, sent again for as long as the chooser is on the screen (a key sent
# while it is still settling can be lost).
for _ in $(seq 60); do
  xdotool search --onlyvisible --name '^Browse for Folder$' >/dev/null 2>&1 || break
  xdotool windowactivate --sync "$chooser" 2>/dev/null
  xdotool windowfocus --sync "$chooser" key Escape 2>/dev/null
  sleep 1
done
check "chooser: cancelled" bash -c "! xdotool search --onlyvisible --name '^Browse for Folder\$'"
xdotool mousemove --window "$wizard" 100 100 mousedown 1
check "drag: a press outside every button drags" wizard_wait_trace "drag started"
w "$poke" cancelmode
check "drag: losing the mouse ends the drag" traced "drag ended"
xdotool mouseup 1
wizard_click 490 355  # Disagree
check "chooser: Disagree still closes the window (exit 2)" test "$(setup_exit_status)" = 2

finish
