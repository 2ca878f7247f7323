#!/usr/bin/env bash
# scripts/check-layers: the product's own sources pass it, and on a made-up tree it refuses an
# include of a higher layer, of a folder beside its own and of a folder its table does not name,
# while an include of a lower layer and of its own folder pass. Arguments: PKGTOOL SOURCE_DIR.
source "$(dirname "$0")/helpers.bash" && [ -d "${work:-}" ] || { echo "FAIL: no scratch folder"; exit 1; }

check=$src/scripts/check-layers

run python3 "$check" "$src"
expect_eq "$rc" "0" "the product's sources"
[ "$rc" = 0 ] || echo "$err" >&2

tree=$work/tree
mkdir -p "$tree/common" "$tree/engine" "$tree/wizard" "$tree/platform/win32" "$tree/platform/fake"
printf '#pragma once\n' >"$tree/common/Text.h"
cat >"$tree/engine/Steps.cpp" <<'CPP'
#include "engine/Steps.h"
#include "common/Text.h"
#include <vector>
CPP
printf '#pragma once\n#include "common/Text.h"\n' >"$tree/wizard/Pages.h"
printf '#include "platform/Platform.h"\n' >"$tree/platform/win32/Win32Files.cpp"

run python3 "$check" "$tree"
expect_eq "$rc" "0" "downward and own-folder includes"

# refused FILE LINE PATTERN WHAT: the line added to FILE makes the check fail and name it.
refused() {
  local file=$1 line=$2 pattern=$3 what=$4
  cp "$tree/$file" "$work/saved"
  printf '%s\n' "$line" >>"$tree/$file"
  run python3 "$check" "$tree"
  expect_eq "$rc" "1" "$what: exit code"
  expect_match "$err" "$pattern" "$what: message"
  cp "$work/saved" "$tree/$file"
}

refused engine/Steps.cpp '#include "wizard/Pages.h"' 'engine/Steps.cpp:4: includes wizard, a layer above engine' \
  "an upward include"
refused common/Text.h '#include "engine/Steps.h"' 'common/Text.h:2: includes engine, a layer above common' \
  "an upward include from the lowest layer"
refused platform/win32/Win32Files.cpp '#include "platform/fake/FaultPlan.h"' \
  'includes platform/fake, which stands beside platform/win32' "an include beside its own folder"
refused wizard/Pages.h '#include "newfolder/Thing.h"' 'includes newfolder, a folder the layer table does not name' \
  "an include of an unlisted folder"
refused wizard/Pages.h '  #  include "run/RunEnd.h"' 'includes run, a layer above wizard' \
  "an include written with spaces"

run python3 "$check" "$work/empty"
expect_eq "$rc" "1" "a folder without sources"

finish
