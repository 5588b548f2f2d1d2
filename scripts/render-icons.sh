#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the committed PNG icons from data/icons/kerbview.svg at the sizes the desktop's icon
# theme looks for. Run it after changing the SVG and commit the PNGs with it. Needs rsvg-convert
# (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
command -v rsvg-convert >/dev/null || {
  echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2
  exit 1
}
for size in 16 24 32 48 64 128 256 512; do
  rsvg-convert --width "$size" --height "$size" data/icons/kerbview.svg \
    --output "data/icons/kerbview-$size.png"
done
echo "data/icons: rendered 16 to 512 pixels"
