#!/usr/bin/env bash
# The real program with a damaged assets folder: the self-test's two lines come first, then it
# must name the file it was loading, report SDL's reason, try no later image and exit with 1.
set -euo pipefail
game=$1 assets=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check NAME PATH-TO-DAMAGE WHAT: damages one file in a fresh copy and runs the game there.
check() {
  local name=$1 victim=$2 damage=$3
  rm -rf "$work/run" && mkdir -p "$work/run" && cp -r "$assets" "$work/run/assets"
  case "$damage" in
    missing) rm "$work/run/$victim" ;;
    text) echo "this is not a bitmap" > "$work/run/$victim" ;;
  esac
  local status=0
  (cd "$work/run" && timeout 20 "$game" > "$work/out" 2>&1) || status=$?
  local last2 first3
  last2=$(tail -n 2 "$work/out")
  first3=$(head -n 3 "$work/out")
  local expected_start=$'validating collision detection...\ncollision detection is ~mostly~ valid\nloading assets/body.bmp'
  if [ "$first3" != "$expected_start" ]; then
    echo "FAIL $name: output begins '$first3'"; failures=$((failures + 1)); return
  fi
  if [ "$status" -ne 1 ]; then
    echo "FAIL $name: exit status $status, expected 1"; failures=$((failures + 1)); return
  fi
  if [ "$(sed -n 1p <<<"$last2")" != "loading $victim" ]; then
    echo "FAIL $name: the line before the error is '$(sed -n 1p <<<"$last2")'"
    failures=$((failures + 1)); return
  fi
  if [[ "$(sed -n 2p <<<"$last2")" != "error : Unable to load ! "*" " ]]; then
    echo "FAIL $name: error line is '$(sed -n 2p <<<"$last2")'"; failures=$((failures + 1)); return
  fi
  echo "ok   $name: $(sed -n 2p <<<"$last2")"
}

check "missing planetFur" assets/planetFur.bmp missing
check "planetFur not a bitmap" assets/planetFur.bmp text
check "missing first image" assets/body.bmp missing
check "last image not a bitmap" assets/starsSquid.bmp text

if [ "$failures" -ne 0 ]; then
  echo "$failures start-up failure case(s) wrong"
  exit 1
fi
