#!/usr/bin/env bash
# Paints the art again into a fresh folder and checks it is byte for byte what the build made.
set -euo pipefail
art=$1 build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$art" "$scratch"
count=0
for f in "$build"/assets/*.bmp; do
  cmp "$f" "$scratch/assets/$(basename "$f")"
  count=$((count + 1))
done
[ "$count" -eq 49 ] || { echo "expected 49 bitmaps, found $count"; exit 1; }
[ "$(ls "$scratch/assets" | wc -l)" -eq 49 ] || { echo "the tool wrote other than 49 files"; exit 1; }
echo "49 bitmaps identical on a second run"
