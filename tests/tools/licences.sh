#!/usr/bin/env bash
# Licence files in the encodings release engineers write: build carries UTF-8 (with or without
# a byte-order mark) as the UTF-16LE text after a mark that the wizard reads, keeps UTF-16LE as
# it is, and refuses text in neither encoding naming the record's line and what to do.
source "$(dirname "$0")/helpers.bash"

p=$work/p
mkdir -p "$p/payload"
german='Lizenzvertrag für Grüße – 许可协议 – 사용권 계약'
printf '%s\r\n' "$german" >"$p/payload/utf8.txt"
printf '\xEF\xBB\xBF%s\n' "$german" >"$p/payload/bom.txt"
{ printf '\xFF\xFE'; printf '%s' "$german" | iconv -f UTF-8 -t UTF-16LE; } >"$p/payload/wide.txt"
cat >"$p/manifest.xml" <<'XML'
<InstallerPackage root="R" payload="payload">
  <Company name="C"/>
  <Product name="R"/>
  <Licence language="1" path="utf8.txt"/>
  <Licence language="3" path="bom.txt"/>
  <Licence language="0" path="wide.txt"/>
</InstallerPackage>
XML
run "$pkgtool" build "$p/manifest.xml" -o "$work/p.bin"
expect_eq "$rc:$out:$err" "0::" "build with UTF-8 and UTF-16 licences"
"$pkgtool" extract "$work/p.bin" "$work/out" || fail "extract"
# as_wizard TEXT: what the wizard reads, UTF-16LE after a byte-order mark.
as_wizard() { printf '\xFF\xFE'; printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; }
expect_file_eq "$work/out/utf8.txt" <(as_wizard "$german"$'\r\n') "UTF-8 without a mark"
expect_file_eq "$work/out/bom.txt" <(as_wizard "$german"$'\n') "UTF-8 with a mark"
expect_file_eq "$work/out/wide.txt" "$p/payload/wide.txt" "UTF-16LE kept byte for byte"

# Windows-1252 text is no UTF-8: refused on the Licence record's line, nothing written.
printf 'Lizenz f\xFCr alle\r\n' >"$p/payload/bom.txt"
printf 'previous' >"$work/p.bin"
run "$pkgtool" build "$p/manifest.xml" -o "$work/p.bin"
expect_eq "$rc" 1 "a Windows-1252 licence: exit status"
expect_match "$err" "manifest.xml:5: Licence: \"bom.txt\" is neither UTF-8 nor UTF-16 with a byte-order mark: save it as UTF-8" \
  "a Windows-1252 licence: message"
expect_eq "$(cat "$work/p.bin")" "previous" "a refused build leaves the output alone"

finish
