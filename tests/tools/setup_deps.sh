#!/usr/bin/env bash
# scripts/setup-deps on a mirror's bad day, against stand-ins for apt-get, dpkg, dpkg-query,
# sudo and locale first on PATH: an index that fails to download is tried again and then only
# warned about; a package apt refuses (Wine's 32-bit part) is named with apt's reason, the
# others are installed all the same, and set-up succeeds; the test command then gives the
# missing part as the reason its 32-bit tier did not run. Arguments: PKGTOOL SOURCE_DIR.
source "$(dirname "$0")/helpers.bash" && [ -d "${work:-}" ] || { echo "FAIL: no scratch folder"; exit 1; }

# A copy of the scripts, so that the status file they write lands in the scratch folder.
mkdir -p "$work/repo/scripts/lib" "$work/bin" "$work/sources" "$work/state"
cp "$src/scripts/setup-deps" "$work/repo/scripts/"
cp "$src/scripts/lib/i386.bash" "$work/repo/scripts/lib/"
state=$work/state

# The stand-ins. apt-get update fails as the mirror did; apt-get install refuses wine32:i386 and
# any set holding it, installs everything else and records each call.
cat >"$work/bin/apt-get" <<'SH'
#!/usr/bin/env bash
state=$TS_FAKE_APT_STATE
case "$1" in
  update)
    echo update >>"$state/calls"
    echo "Err:7 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    shift
    pkgs=()
    for a; do case "$a" in -*) ;; *) pkgs+=("$a") ;; esac; done
    echo "install ${pkgs[*]}" >>"$state/calls"
    for p in "${pkgs[@]}"; do
      if [ "$p" = wine32:i386 ]; then
        echo "Some packages could not be installed."
        echo "The following packages have unmet dependencies:"
        echo " libwine:i386 : Depends: zlib1g:i386 (>= 1:1.1.4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$state/installed"
    exit 0 ;;
esac
exit 0
SH
cat >"$work/bin/dpkg-query" <<'SH'
#!/usr/bin/env bash
# -W -f='${binary:Package} ${db:Status-Status}\n': one line per installed package, multi-arch
# ones with the native architecture's suffix as dpkg-query prints them.
sed 's/^libgtest-dev$/&:amd64/; s/$/ installed/' "$TS_FAKE_APT_STATE/installed" 2>/dev/null
echo "removed-package config-files"
SH
cat >"$work/bin/dpkg" <<'SH'
#!/usr/bin/env bash
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) cat "$TS_FAKE_APT_STATE/arches" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$TS_FAKE_APT_STATE/arches" ;;
esac
SH
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$work/bin/sudo"
printf '#!/usr/bin/env bash\nprintf "%%s\\n" C zh_CN.utf8 ko_KR.utf8 de_DE.utf8 it_IT.utf8\n' >"$work/bin/locale"
printf '#!/usr/bin/env bash\necho locale-gen >>"$TS_FAKE_APT_STATE/calls"\n' >"$work/bin/locale-gen"
printf '#!/usr/bin/env bash\nexit 0\n' >"$work/bin/sleep"
chmod +x "$work/bin"/*

setup() {
  PATH="$work/bin:$PATH" TS_FAKE_APT_STATE=$state TS_APT_SOURCES_DIR="$work/sources" \
    TS_LOCALE_GEN="$work/locale.gen" TS_APT_UPDATE_TRIES=3 TS_APT_UPDATE_PAUSE=0 \
    TS_I386_KERNEL="$1" bash "$work/repo/scripts/setup-deps"
}

# --- a fresh machine whose kernel runs 32-bit programs, on the mirror's bad day
run setup yes
expect_eq "$rc" 0 "set-up goes on past a failed index and a refused wine32:i386"
expect_eq "$(grep -c '^update$' "$state/calls")" 3 "the update is tried three times, then the lists apt has serve"
expect_match "$out" "warning: some package indexes could not be downloaded" "the failed index is a warning"
expect_match "$out" "Mirror sync in progress" "the warning quotes apt"
line=$(grep '^setup: could not install' <<<"$out")
expect_eq "$(wc -l <<<"$line")" 1 "one line for what could not be installed"
expect_match "$line" "^setup: could not install wine32:i386: libwine:i386 : Depends: zlib1g:i386 .*held broken packages" \
  "the line names the package and apt's reason"
for p in g++ mingw-w64 wine64 xdotool nsis; do
  grep -qxF "$p" "$state/installed" || fail "$p installed although wine32:i386 was refused"
done
grep -q '^install .*wine32:i386' "$state/calls" || fail "wine32:i386 was asked for"
grep -E '^install .*wine32:i386' "$state/calls" | grep -q ' g++' &&
  fail "wine32:i386 is asked for together with the other packages, so its refusal would keep them out"
grep -qx i386 "$state/arches" || fail "the i386 architecture is added on a kernel that runs 32-bit programs"
grep -q '^Types: deb-src' "$work/sources/debian-src.sources" || fail "the deb-src entry is written"
expect_match "$(cat "$work/repo/build/setup-deps.txt")" "^wine32:i386	libwine:i386" \
  "the refusal is recorded for the test command"
grep -q '^locale-gen$' "$state/calls" && fail "locales already there are not generated again"

# The test command's reason for not running the 32-bit tier there.
reason=$(cd "$work/repo" && TS_I386_KERNEL=yes bash -c 'source scripts/lib/i386.bash; no_i386_reason')
if [ -e /usr/lib/wine/wine ]; then
  expect_match "$reason" "^(|Wine's 32-bit loader does not run: .*)$" "with the loader present, its own word"
else
  expect_match "$reason" "^Wine's 32-bit part \\(wine32:i386\\) is not installed: libwine:i386 : Depends" \
    "the test command says why the 32-bit tier did not run"
fi

# --- a second run: only what is missing is asked for again
: >"$state/calls"
run setup yes
expect_eq "$rc" 0 "a second run succeeds too"
expect_eq "$(grep '^install' "$state/calls")" "install wine32:i386" "a second run asks only for what is missing"

# --- a kernel that executes no 32-bit programs: Wine's 32-bit part is not even tried
rm -f "$state/arches"
: >"$state/calls"
run setup no
expect_eq "$rc" 0 "set-up succeeds without a 32-bit part on such a kernel"
grep -q 'wine32' "$state/calls" && fail "wine32:i386 is not asked for on a kernel that cannot run it"
[ -s "$state/arches" ] && fail "no i386 architecture on a kernel that cannot run it"
grep -q "could not install" <<<"$out" && fail "nothing is reported refused there: $out"
reason=$(cd "$work/repo" && TS_I386_KERNEL=no bash -c 'source scripts/lib/i386.bash; no_i386_reason')
expect_eq "$reason" "this machine cannot execute 32-bit programs (i386 execve: Exec format error)" \
  "the reason on such a kernel"

# --- a package of the build itself that apt refuses is the end of set-up, and says so
: >"$state/installed"
sed -i 's/if \[ "\$p" = wine32:i386 \]/if [ "$p" = wine32:i386 ] || [ "$p" = cmake ]/' "$work/bin/apt-get"
run setup no
expect_eq "$rc" 1 "a refused build package fails set-up"
expect_match "$out" "setup: could not install cmake: " "the refused build package is named"
expect_match "$out" "still missing: cmake" "and listed at the end"
grep -qxF ninja-build "$state/installed" || fail "the others are installed even so"

finish
