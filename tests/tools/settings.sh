#!/usr/bin/env bash
# pkgtool settings PATH: reads, completes and prints a settings file as the installer would.
set -uo pipefail
pkgtool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TOUCHSETUP_ROOT="$work/machine"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
tab=$'\t'

# Missing file: not loaded, exit 1, nothing created.
err=$("$pkgtool" settings "$work/script.ini" 2>&1 >/dev/null)
rc=$?
[ "$rc" -eq 1 ] || fail "missing file exited $rc"
[ "$err" = "not loaded" ] || fail "missing file said '$err'"
[ -e "$work/script.ini" ] && fail "missing file was created"

# Empty and malformed files: not loaded and left as they were.
for text in "" "<Unattended" "<a></b>"; do
  printf '%s' "$text" >"$work/bad.ini"
  "$pkgtool" settings "$work/bad.ini" >/dev/null 2>&1
  rc=$?
  [ "$rc" -eq 1 ] || fail "file '$text' exited $rc"
  [ "$(cat "$work/bad.ini")" = "$text" ] || fail "file '$text' was changed"
done

# A declaration only: defaults, and the file completed in the library's layout.
printf '<?xml version="1.0"?>' >"$work/script.ini"
out=$("$pkgtool" settings "$work/script.ini")
want="language${tab}1033
licenceAgreed${tab}false
showPanel${tab}false
hidMode${tab}1
installBase${tab}$work/machine\\Program Files"
[ "$out" = "$want" ] || fail "declaration only printed: $out"
want_file='<?xml version="1.0" ?>
<Unattended Lang="English" EndUserLicense="Disagree" ShowPanel="No" HID="1" Path="'"$work"'/machine\Program Files" />'
[ "$(cat "$work/script.ini")" = "$want_file" ] || fail "declaration only wrote: $(cat "$work/script.ini")"

# A complete file: read as written and left untouched, byte for byte.
printf '\xEF\xBB\xBF<Unattended Lang="Korean" EndUserLicense="Agree" ShowPanel="Yes" HID="2" Path="D:\\Ber\xC3\xBChren"/>\r\n' >"$work/full.ini"
cp "$work/full.ini" "$work/full.orig"
out=$("$pkgtool" settings "$work/full.ini")
want="language${tab}1042
licenceAgreed${tab}true
showPanel${tab}true
hidMode${tab}2
installBase${tab}D:\\Berühren"
[ "$out" = "$want" ] || fail "complete file printed: $out"
cmp -s "$work/full.ini" "$work/full.orig" || fail "complete file was rewritten"

# A bad HID count is replaced in place; the byte-order mark stays.
printf '\xEF\xBB\xBF<Unattended HID="two" Lang="english" EndUserLicense="agree" ShowPanel="No" Path="D:\\x"/>' >"$work/hid.ini"
out=$("$pkgtool" settings "$work/hid.ini")
[ "$(sed -n 1p <<<"$out")" = "language${tab}1033" ] || fail "lower-case language: $out"
[ "$(sed -n 2p <<<"$out")" = "licenceAgreed${tab}false" ] || fail "lower-case agree: $out"
[ "$(sed -n 4p <<<"$out")" = "hidMode${tab}1" ] || fail "bad HID: $out"
want_file=$'\xEF\xBB\xBF''<Unattended HID="1" Lang="english" EndUserLicense="agree" ShowPanel="No" Path="D:\x" />'
[ "$(cat "$work/hid.ini")" = "$want_file" ] || fail "bad HID wrote: $(cat "$work/hid.ini")"

# Text the library would print in a form it cannot read back (unquoted bytes that are not UTF-8
# after a byte-order mark): read on every run, never rewritten.
for b64 in \
  '77u/PFVuYXRlZG5kZSB0TGFuZz0mS29yZWFu4yBFbmRVc2VyTGljZW5zZT0iQWdyZWUiIFNob3dQYW5lbD0iWWVzIiBISUQ9IjEiIFBhdGg9IkQ6XFRvdWNoIi8+DQo=' \
  '77u/PFVuYXR0ZW5kZWQgTGFuZz1QYXRym56R4iBFsW5kVXNlckxpY2Vuc2U9IkFlZSIgU2hvd1BhbmVsPSJZZSIgSElEPSI0IiBQYXRoPSI6vzxVbmF0dGVuZGVkIExhbkRuRDq/PFVuYXR0ZW5hZW5MIGRkZz1cOr88VW5hdHRlbmFlbrTfm5dnPVxmVG91Y2giLz4NCg=='; do
  base64 -d <<<"$b64" >"$work/odd.ini"
  cp "$work/odd.ini" "$work/odd.orig"
  for run in 1 2; do
    "$pkgtool" settings "$work/odd.ini" >"$work/odd.out" 2>&1 || fail "odd file run $run: $(cat "$work/odd.out")"
    cmp -s "$work/odd.ini" "$work/odd.orig" || fail "odd file was rewritten on run $run"
  done
done

# Outside a simulated machine there is no Program Files folder to default to: the file is
# completed without a Path (setup.exe then takes its own machine's), never with a made-up one.
printf '<Unattended Lang="German"/>' >"$work/nopath.ini"
out=$(env -u TOUCHSETUP_ROOT "$pkgtool" settings "$work/nopath.ini")
[ "$(sed -n 5p <<<"$out")" = "installBase${tab}(none: setup.exe uses the Program Files folder of its machine)" ] ||
  fail "no machine printed: $out"
want_file='<Unattended Lang="German" EndUserLicense="Disagree" ShowPanel="No" HID="1" />'
[ "$(cat "$work/nopath.ini")" = "$want_file" ] || fail "no machine wrote: $(cat "$work/nopath.ini")"

# Bounded before the XML library sees it: nested deep, a file once crashed the reader, and less
# deep it was written back indented, growing with the square of its depth (21 KB became 36 MB).
# Refused, named, and left as it was.
deep() { for _ in $(seq "$1"); do printf '<a>'; done; printf '<Unattended Lang="English"/>'; for _ in $(seq "$1"); do printf '</a>'; done; }
for case in "7:" "8:nests elements deeper than 8 levels" "7000:holds more than 64 elements"; do
  depth=${case%%:*} why=${case#*:}
  deep "$depth" >"$work/deep.ini"
  cp "$work/deep.ini" "$work/deep.orig"
  err=$("$pkgtool" settings "$work/deep.ini" 2>&1 >/dev/null)
  rc=$?
  if [ -z "$why" ]; then
    [ "$rc" -eq 0 ] || fail "$depth levels: exited $rc ($err)"
  else
    [ "$rc" -eq 1 ] && [ "$err" = "not loaded: $why" ] || fail "$depth levels: $rc '$err'"
    cmp -s "$work/deep.ini" "$work/deep.orig" || fail "$depth levels: the file was changed"
  fi
done
{ printf '<Unattended Lang="English"/><!--'; head -c 65536 /dev/zero | tr '\0' x; printf -- '-->'; } >"$work/big.ini"
err=$("$pkgtool" settings "$work/big.ini" 2>&1 >/dev/null)
[ "$err" = "not loaded: larger than 65536 bytes" ] || fail "a file over 64 KiB: '$err'"

"$pkgtool" settings >/dev/null 2>&1
[ $? -eq 2 ] || fail "settings without PATH should exit 2"

[ "$failures" -eq 0 ] && echo "settings: all checks passed"
exit "$failures"
