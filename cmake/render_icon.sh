#!/bin/sh
# render_icon.sh RSVG CONVERT SOURCE.svg OUT.ico SIZE...
# Renders a vector image at each size and packs the results into one icon file.
set -eu
rsvg=$1; convert=$2; svg=$3; ico=$4; shift 4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
pngs=""
for size in "$@"; do
    "$rsvg" -w "$size" -h "$size" -f png -o "$tmp/$size.png" "$svg"
    pngs="$pngs $tmp/$size.png"
done
mkdir -p "$(dirname "$ico")"
# shellcheck disable=SC2086
"$convert" $pngs "$ico"
