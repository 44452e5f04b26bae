#!/usr/bin/env bash
# Installs everything Corvana needs on a Debian 12 machine: compilers, Wine, a virtual display,
# test framework, PCRE2 sources for the Windows builds, and the Windows ffmpeg.exe of both
# architectures. Safe to run again: it does nothing when everything is present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
mkdir -p "$deps"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

packages=(cmake ninja-build g++ pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick librsvg2-bin
  googletest libpcre2-dev dpkg-dev bzip2 xz-utils curl python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
command -v npm >/dev/null || missing+=(npm)

# PCRE2 has no mingw package: its Debian source is cross-compiled by the build.
need_src=0
ls "$deps"/pcre2_*.orig.tar.* >/dev/null 2>&1 || need_src=1

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
  echo "setup: installing ${missing[*]:-PCRE2 sources}"
  if [ $need_src -eq 1 ] && ! grep -rqs '^\(deb-src\|Types:.*deb-src\)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # The same archive as the machine's main "deb" entry, for source packages.
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
          | sed -nE 's/^URIs: *(\S*debian\/?)$/\1/p; s/^deb +(\[[^]]*\] +)?(\S*debian\/?) .*/\2/p' | sed -n 1p || true)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src ${uri:-http://deb.debian.org/debian} $suite main" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/corvana-src.list >/dev/null
  fi
  # One failing index (an architecture the project does not use) must not stop the install.
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null 2>&1 || true
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if [ $need_src -eq 1 ]; then
    (cd "$deps" && apt-get source --download-only pcre2 >/dev/null 2>&1)
    ls "$deps"/pcre2_*.orig.tar.* >/dev/null 2>&1 || { echo "setup: could not download the PCRE2 sources" >&2; exit 1; }
  fi
fi

# The Windows ffmpeg.exe of each architecture, from its npm package (never committed).
for arch in x64 ia32; do
  exe="$deps/ffmpeg-$arch/ffmpeg.exe"
  [ -s "$exe" ] && continue
  echo "setup: fetching ffmpeg.exe ($arch)"
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack --silent "@ffmpeg-installer/win32-$arch@4.1.0" >/dev/null && tar -xzf ./*.tgz package/ffmpeg.exe)
  mkdir -p "$(dirname "$exe")"
  mv "$tmp/package/ffmpeg.exe" "$exe"
  rm -rf "$tmp"
done
