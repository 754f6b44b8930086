#!/usr/bin/env bash
# Compiles the self-test against a copy of the collision header with one primitive broken on
# purpose, and checks the program ends abnormally, reporting the header, the line and the text of
# the first expectation that fails, and without the self-test's closing line.
set -euo pipefail
cxx=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#include "poke.h"\nint main() { return PocSsert<0>(); }\n' > "$work/probe.cpp"
failures=0

# probe NAME SED-SCRIPT LINE TEXT
probe() {
  local name=$1 edit=$2 line=$3 text=$4
  sed "$edit" "$src/collision/poke.h" > "$work/poke.h"
  if cmp -s "$work/poke.h" "$src/collision/poke.h"; then
    echo "FAIL $name: the edit changed nothing"; failures=$((failures + 1)); return
  fi
  "$cxx" -std=c++17 -O2 -I"$work" -I"$src" "$work/probe.cpp" -o "$work/probe"
  local status=0
  "$work/probe" > "$work/out" 2> "$work/err" || status=$?
  if [ "$status" -lt 128 ]; then
    echo "FAIL $name: exit status $status, expected an abnormal end"; failures=$((failures + 1)); return
  fi
  if ! grep -qF "poke.h:$line:" "$work/err" || ! grep -qF "$text" "$work/err"; then
    echo "FAIL $name: report is: $(cat "$work/err")"; failures=$((failures + 1)); return
  fi
  if [ "$(cat "$work/out")" != "validating collision detection..." ]; then
    echo "FAIL $name: output is: $(cat "$work/out")"; failures=$((failures + 1)); return
  fi
  echo "ok   $name: $(cat "$work/err")"
}

probe "window loses its second word" \
  's/: (first << s) | (second >> (16 - s));/: (first << s);/' \
  79 '(PokeWordShifted<32,1>(testLong,1,0) == 0xFE01)'
probe "word read one off" \
  's/  return bits\[offset\];/  return bits[offset] ^ 1;/' \
  78 '(PokeWordShifted<32,1>(testLong,0,0) == 0xFF00)'
probe "overlap never found" \
  's/  return poke_rows::Overlap</  return 0 \& poke_rows::Overlap</' \
  105 '("true",Poke<16,4,16,4>(testFrom,testTrue,0,0))'

# A mask of 2^32 pixels or more would overflow the 32-bit index arithmetic: refused at compile
# time, while one pixel row less still compiles.
printf '#include "poke.h"\nconst uint16_t w[1] = {0};\nint main() { return PokeWord<%s>(w, 0, 0); }\n' \
  65536,65536 > "$work/huge.cpp"
sed 's/65536,65536/65536,65535/' "$work/huge.cpp" > "$work/large.cpp"
if "$cxx" -std=c++17 -fsyntax-only -I"$src" "$work/huge.cpp" 2> "$work/huge.err" ||
   ! grep -qF "fewer than 2^32 pixels" "$work/huge.err"; then
  echo "FAIL a 65536 by 65536 mask is not refused at compile time"; failures=$((failures + 1))
elif ! "$cxx" -std=c++17 -fsyntax-only -I"$src" "$work/large.cpp"; then
  echo "FAIL a 65536 by 65535 mask does not compile"; failures=$((failures + 1))
else
  echo "ok   a mask of 2^32 pixels is refused at compile time"
fi

[ "$failures" -eq 0 ]
