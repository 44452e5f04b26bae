#!/usr/bin/env bash
# Installs everything Corvana needs on a Debian 12 machine: compilers, 64- and 32-bit Wine, a
# virtual display, test framework, PCRE2 sources for the Windows builds, and the ffmpeg.exe of both
# architectures, built from Debian's sources (scripts/build-ffmpeg.sh, kept in the user's cache
# folder). Safe to run again: it does nothing when everything is present. Quiet unless it fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
mkdir -p "$deps"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

packages=(cmake ninja-build g++ pkg-config make nasm nsis clang-format
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 fonts-wine xvfb xauth x11-utils imagemagick librsvg2-bin
  googletest libpcre2-dev dpkg-dev bzip2 xz-utils curl python3 sox musepack-tools speex)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# 32-bit Wine comes from the i386 architecture's packages.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

# PCRE2 has no mingw package: its Debian source is cross-compiled by the build.
need_src=0
ls "$deps"/pcre2_*.orig.tar.* >/dev/null 2>&1 || need_src=1

# Source packages (PCRE2, FFmpeg and its libraries) need a deb-src entry.
has_src_entry=1
grep -rqs '^\(deb-src\|Types:.*deb-src\)' /etc/apt/sources.list /etc/apt/sources.list.d/ || has_src_entry=0

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ] || [ $has_src_entry -eq 0 ]; then
  echo "setup: installing ${missing[*]:-source packages}"
  if [ $has_src_entry -eq 0 ]; then
    # The same archive as the machine's main "deb" entry, for source packages.
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
          | sed -nE 's/^URIs: *(\S*debian\/?)$/\1/p; s/^deb +(\[[^]]*\] +)?(\S*debian\/?) .*/\2/p' | sed -n 1p || true)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src ${uri:-http://deb.debian.org/debian} $suite main" | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/corvana-src.list >/dev/null
  fi
  # One failing index (an architecture the project does not use) must not stop the install.
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null 2>&1 || true
  if [ ${#missing[@]} -gt 0 ]; then
    log=$(mktemp)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" \
      >"$log" 2>&1 || { tail -40 "$log" >&2; echo "setup: the install failed" >&2; exit 1; }
    rm -f "$log"
  fi
  if [ $need_src -eq 1 ]; then
    (cd "$deps" && apt-get source --download-only pcre2 >/dev/null 2>&1)
    ls "$deps"/pcre2_*.orig.tar.* >/dev/null 2>&1 || { echo "setup: could not download the PCRE2 sources" >&2; exit 1; }
  fi
fi

# ffmpeg.exe of each architecture, built once per version and set of options and kept outside the
# checkout; build/deps/ffmpeg-<arch> points at the one the build copies beside Corvana.exe.
for arch in win64 win32; do
  folder=$("$root/scripts/build-ffmpeg.sh" "$arch")
  [ "$(readlink "$deps/ffmpeg-$arch" 2>/dev/null)" = "$folder" ] || ln -sfn "$folder" "$deps/ffmpeg-$arch"
done
