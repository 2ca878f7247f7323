#!/usr/bin/env bash
# What stands where a package file should be. The reading commands map the file rather than
# read it: anything but a regular file is refused at once with "cannot read" (a named pipe is
# never waited on), an empty file is a package like any other too short one, a link is followed
# as a read would follow it, and a package reads the same whatever the page boundaries.
source "$(dirname "$0")/helpers.bash"

"$pkgtool" build "$demo/manifest.xml" -o "$work/demo.bin" || fail "demo build"
"$pkgtool" list "$work/demo.bin" >"$work/demo.list" || fail "demo list"

# cannot_read PATH WHAT: list, script and extract each refuse it, naming it, and write nothing.
cannot_read() {
  for command in list script extract; do
    local args=("$command" "$1")
    [ "$command" = extract ] && args+=("$work/never")
    run timeout 10 "$pkgtool" "${args[@]}"
    expect_eq "$rc:$out" "1:" "$2 ($command): exit code and stdout"
    expect_eq "$err" "pkgtool: cannot read \"$1\"" "$2 ($command): message"
  done
  [ -e "$work/never" ] && fail "$2: extract created its folder"
}
cannot_read "$work/absent.bin" "a missing file"
mkdir "$work/folder.bin"
cannot_read "$work/folder.bin" "a folder"
mkfifo "$work/pipe.bin"
cannot_read "$work/pipe.bin" "a named pipe with no writer"
ln -s "$work/absent.bin" "$work/dangling.bin"
cannot_read "$work/dangling.bin" "a dangling link"

: >"$work/empty.bin"
run "$pkgtool" list "$work/empty.bin"
expect_eq "$rc:$out:$err" "1::package rejected: shorter than 8 bytes" "an empty file"

ln -s "$work/demo.bin" "$work/link.bin"
run "$pkgtool" list "$work/link.bin"
expect_eq "$rc:$err" "0:" "a link to the package"
expect_file_eq "$work/stdout" "$work/demo.list" "the list through a link"

# Packages that end just before, on and just after a page boundary (stored: their size is the
# payload's). The last file's last byte is the package's last byte, so a read past the end of
# the mapping would show.
one_file_package() { # one_file_package SIZE: $work/s/payload/sub/data.bin and $work/s.bin
  rm -rf "$work/s"
  mkdir -p "$work/s/payload/sub"
  head -c "$1" /dev/urandom >"$work/s/payload/sub/data.bin"
  printf '<InstallerPackage root="R" payload="payload"><Company name="C"/><Product name="R"/></InstallerPackage>\n' >"$work/s/manifest.xml"
  "$pkgtool" build "$work/s/manifest.xml" -o "$work/s.bin" --store || fail "build with $1 bytes"
}
one_file_package 1
overhead=$(($(wc -c <"$work/s.bin") - 1))
for end in 4095 4096 4097 65536; do
  one_file_package $((end - overhead))
  expect_eq "$(wc -c <"$work/s.bin")" "$end" "package size"
  run "$pkgtool" extract "$work/s.bin" "$work/s/out"
  expect_eq "$rc:$err" "0:" "extract of a $end-byte package"
  cmp -s "$work/s/payload/sub/data.bin" "$work/s/out/sub/data.bin" ||
    fail "the file of a $end-byte package comes out changed"
  # The same package with its last byte cut: refused.
  head -c $((end - 1)) "$work/s.bin" >"$work/cut.bin"
  run "$pkgtool" list "$work/cut.bin"
  expect_match "$rc:$err" "^1:package rejected: " "a $end-byte package cut short"
done

finish
