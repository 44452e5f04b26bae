#!/bin/sh
# Stands in for the user's browser in the tests: records each address the shell hands over, in
# C:\corvana-browser.log of the Wine prefix.
printf '%s\n' "$@" >> "${WINEPREFIX:-$HOME/.wine}/drive_c/corvana-browser.log"
