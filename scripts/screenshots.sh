#!/usr/bin/env bash
# Makes the gallery: plays the gallery scenarios against the real lull.exe under Wine and
# saves every page, caption included, as docs/pages/<PageId>.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shots=$root/build/gallery
rm -rf "$shots"
mkdir -p "$shots" "$root/docs/pages"
"$root/scripts/e2e-fixture.sh" start
trap '"$root/scripts/e2e-fixture.sh" stop' EXIT
"$root/tests/e2e/run_scenario.sh" "$root/tests/e2e/scenarios/gallery.scenario" winxp "$shots"
"$root/tests/e2e/run_scenario.sh" "$root/tests/e2e/scenarios/gallery_unsupported.scenario" \
  win2003 "$shots"
for bitmap in "$shots"/*.bmp; do
  page=$(basename "$bitmap" .bmp)
  /usr/bin/convert "$bitmap" -strip "$root/docs/pages/$page.png"
done
ls "$root/docs/pages"
