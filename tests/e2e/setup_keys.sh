#!/usr/bin/env bash
# setup.exe's test build under Wine and Xvfb, driven by the keyboard alone (xdotool keys to the
# focused window, the mouse never used): a whole installation in English (Enter on the language
# the focus starts on, Enter on Agree), one in Italian (Tab to its button, Tab round the licence
# page's buttons back to Agree, Space), and Esc on the language page closing the window without
# installing. On the way a screen reader's view is read from another process through oleacc
# (wizard_poke accessible): the language buttons in their own languages, the licence whole, the
# focus where the keys put it. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=1280x800 source "$(dirname "$0")/lib.bash" "$@"

setup="$build/setup/setup-usbsim.exe"
poke="$build/fixtures/wizard_poke.exe"

# keys KEY...: each key to the wizard, which has the keyboard focus.
keys() {
  xdotool windowactivate --sync "$wizard" >/dev/null 2>&1 || xdotool windowfocus --sync "$wizard"
  local k
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.2
  done
}

install_by_keys() { # install_by_keys NAME LABEL COMPLETE KEYS_ON_LANGUAGE_PAGE... -- KEYS_ON_LICENCE_PAGE...
  local name=$1 label=$2 complete=$3
  shift 3
  local on_language=() on_licence=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do on_language+=("$1"); shift; done
  shift
  on_licence=("$@")
  setup_start "$setup" "$name"
  wizard_wait_window || { echo "FAIL $label: no window"; failures=$((failures + 1)); return; }
  wizard_wait_trace "window shown"
  keys "${on_language[@]}"
  check "$label: the licence page by keys" wizard_wait_trace "page 1"
  if [ "$name" = english ]; then
    w "$poke" accessible >"$work/tree-licence.txt"
    check "reader: the licence is one document" grep -qE '^2 document .{200}' "$work/tree-licence.txt"
    check "reader: Agree is a button" grep -qx '5 button Agree' "$work/tree-licence.txt"
    check "reader: the focus starts on Agree" grep -qx 'focus 5' "$work/tree-licence.txt"
  fi
  keys "${on_licence[@]}"
  check "$label: the device page by keys" wizard_wait_trace "page 2"
  wizard_plug "$poke"
  check "$label: completed in its language" wizard_wait_trace "status $complete" 240
  check "$label: exit status 0" test "$(setup_exit_status)" = 0
}

install_by_keys english "English" "Installation Complete!" Return -- Return
install_by_keys italian "Italian" "Installazione Completa!" Tab Return -- Tab Tab Tab Tab space

setup_start "$setup" escape
wizard_wait_window || echo "FAIL escape: no window"
wizard_wait_trace "window shown"
w "$poke" accessible >"$work/tree-language.txt"
check "reader: seven children on the language page" grep -q '^7 button ' "$work/tree-language.txt"
check "reader: Italian in its own name" grep -qx '4 button Italiano' "$work/tree-language.txt"
check "reader: Korean in its own name" grep -qx '6 button 한국어' "$work/tree-language.txt"
check "reader: the focus on English" grep -qx 'focus 3' "$work/tree-language.txt"
keys Tab
w "$poke" accessible >"$work/tree-tab.txt"
check "reader: Tab moved the focus to Italian" grep -qx 'focus 4' "$work/tree-tab.txt"
keys Escape
check "Esc: the window closes without installing (exit 2)" test "$(setup_exit_status)" = 2
check "Esc: nothing was installed" bash -c "! grep -q '^install' '$run_dir/wizard-trace.txt'"

finish
