#!/usr/bin/env bash
# Builds the ffmpeg.exe Corvana ships, for one architecture (win64 or win32), from Debian's source
# packages of FFmpeg, LAME, Opus, Vorbis and Ogg, cross-compiled statically with mingw-w64 and
# cut down to what Corvana uses. LGPL only: no GPL or non-free part is enabled.
#
# The result (ffmpeg.exe and ffmpeg-license.txt) is kept outside the checkout, in
#   ${XDG_CACHE_HOME:-~/.cache}/corvana/ffmpeg/<FFmpeg version>-<key>/<arch>/
# where the key covers every source package's version, this script (the build options) and the
# compiler's version: a build is reused until one of them changes. Prints that folder.
# Needs the packages scripts/setup.sh installs (mingw-w64, nasm, dpkg-dev) and a deb-src entry.
# Usage: scripts/build-ffmpeg.sh win64|win32
set -euo pipefail
arch=${1:?usage: build-ffmpeg.sh win64|win32}
case "$arch" in
    win64) host=x86_64-w64-mingw32 ffarch=x86_64 ;;
    win32) host=i686-w64-mingw32 ffarch=x86 ;;
    *) echo "build-ffmpeg: unknown architecture $arch" >&2; exit 2 ;;
esac
cache=${XDG_CACHE_HOME:-$HOME/.cache}/corvana
sources=$cache/sources
packages=(ffmpeg lame opus libvorbis libogg)
mkdir -p "$sources"

# The newest version of a source package that the machine's package lists know.
source_version() {
    apt-cache showsrc "$1" 2>/dev/null | awk -v p="$1" '$1 == "Package:" {ok = ($2 == p)} ok && $1 == "Version:" {print $2}' |
        sort -V | tail -1
}

declare -A version
for p in "${packages[@]}"; do
    v=$(source_version "$p")
    [ -n "$v" ] || { echo "build-ffmpeg: no source package $p (is there a deb-src entry?)" >&2; exit 1; }
    version[$p]=${v#*:}
    if [ ! -s "$sources/${p}_${version[$p]}.dsc" ]; then
        (cd "$sources" && apt-get source --download-only "$p=$v" >/dev/null 2>&1) ||
            { echo "build-ffmpeg: could not download the sources of $p $v" >&2; exit 1; }
    fi
done

key=$( {
    for p in "${packages[@]}"; do echo "$p ${version[$p]}"; done
    cat "$0"
    "$host-gcc-posix" --version | head -1
} | sha256sum | cut -c1-12)
out=$cache/ffmpeg/${version[ffmpeg]}-$key/$arch
if [ -s "$out/ffmpeg.exe" ] && [ -s "$out/ffmpeg-license.txt" ]; then
    echo "$out"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/corvana-ffmpeg-$arch.XXXXXX")
log=$work/build.log
fail() {
    echo "build-ffmpeg: $1 failed for $arch; the end of its log (all of it, and the build, in $work):" >&2
    tail -40 "$log" >&2
    exit 1
}
prefix=$work/prefix
jobs=$(nproc)
export CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" STRIP="$host-strip"
export CFLAGS="-O2 -I$prefix/include" LDFLAGS="-L$prefix/lib" PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
unset PKG_CONFIG_PATH

# Each package is unpacked with Debian's patches applied, as Debian builds it.
unpack() {
    dpkg-source --no-check -x "$sources/${1}_${version[$1]}.dsc" "$work/$1" >>"$log" 2>&1 || fail "unpacking $1"
}
autotools_build() {
    local p=$1
    shift
    unpack "$p"
    (cd "$work/$p" && ./configure --host="$host" --prefix="$prefix" --enable-static --disable-shared "$@" &&
        make -j"$jobs" && make install) >>"$log" 2>&1 || fail "building $p"
}

echo "build-ffmpeg: building ffmpeg.exe ($arch) from FFmpeg ${version[ffmpeg]}; this takes some minutes" >&2
autotools_build libogg
autotools_build libvorbis --disable-docs --disable-examples --disable-oggtest --with-ogg="$prefix"
# Opus turns on _FORTIFY_SOURCE unless it is set, and mingw-w64 has no checked memcpy to link.
CFLAGS="$CFLAGS -D_FORTIFY_SOURCE=0" autotools_build opus --disable-doc --disable-extra-programs --disable-stack-protector
autotools_build lame --disable-frontend --disable-gtktest --disable-analyzer-hooks --disable-decoder

# Inputs: every audio codec the supported files may carry, and the containers behind their
# extensions (audio streams of the video containers included).
decoders="aac,aac_fixed,aac_latm,ac3,ac3_fixed,eac3,truehd,mlp,dca,dolby_e,s302m,flac,alac,als,ape,wavpack,tta"
decoders+=",vorbis,opus,speex,wmav1,wmav2,wmapro,wmalossless,wmavoice,mp1,mp1float,mp2,mp2float,mp3,mp3float"
decoders+=",mp3adu,mp3adufloat,mp3on4,mp3on4float,pcm_*,adpcm_*,gsm,gsm_ms,g723_1,g729,amrnb,amrwb,qcelp"
decoders+=",nellymoser,qdm2,qdmc,mace3,mace6,atrac3,dvaudio,imc,truespeech,metasound,on2avc,xma1,xma2"
decoders+=",mpc7,mpc8,dsd_lsbf,dsd_msbf,dsd_lsbf_planar,dsd_msbf_planar"
demuxers="aac,ac3,eac3,truehd,mlp,dts,loas,aiff,asf,avi,flac,flv,live_flv,matroska,mov,mp3,mpegps,mpegts"
demuxers+=",ogg,wav,w64,wv,ape,mpc,mpc8,tta,dsf"
parsers="aac,aac_latm,ac3,dca,dolby_e,flac,mlp,mpegaudio,opus,vorbis,gsm,g723_1,g729,amr,dvaudio,xma"
# Outputs: the encoder each of the 14 formats' muxers picks by default. The tests also make
# sources of the other containers Corvana reads (Matroska audio, TTA, MPEG-TS, 3GP) with it.
encoders="libmp3lame,pcm_s16le,pcm_s16be,aac,wmav2,flac,libopus,libvorbis,ac3,eac3,mp2,wavpack,tta"
muxers="mp3,wav,ipod,asf,flac,webm,aiff,adts,ogg,opus,ac3,eac3,mp2,wv,matroska,tta,mpegts,tgp"
filters="loudnorm,aformat,aresample,anull,atrim,apad,volume"

unpack ffmpeg
debian_revision=${version[ffmpeg]#*-}
(cd "$work/ffmpeg" && ./configure --prefix="$prefix" --target-os=mingw32 --arch="$ffarch" \
    --cross-prefix="$host-" --cc="$CC" --cxx="$CXX" --enable-cross-compile --pkg-config=pkg-config \
    --pkg-config-flags=--static --extra-cflags="-I$prefix/include" --extra-ldflags="-L$prefix/lib -static" \
    --extra-version="$debian_revision" \
    --disable-everything --disable-autodetect --enable-w32threads --disable-network --disable-doc \
    --disable-ffplay --disable-ffprobe --disable-avdevice --disable-swscale --disable-postproc --disable-debug \
    --enable-libmp3lame --enable-libopus --enable-libvorbis \
    --enable-decoder="$decoders" --enable-demuxer="$demuxers" --enable-parser="$parsers" \
    --enable-encoder="$encoders" --enable-muxer="$muxers" --enable-filter="$filters" \
    --enable-bsf=aac_adtstoasc --enable-protocol=file,pipe &&
    make -j"$jobs") >>"$log" 2>&1 || { tail -30 "$work/ffmpeg/ffbuild/config.log" >>"$log" 2>/dev/null; fail "building FFmpeg"; }
grep -qx '#define CONFIG_GPL 0' "$work/ffmpeg/config.h" || fail "the LGPL check"

# The licence texts that go with the program: FFmpeg's LGPL, and the notices of the libraries
# linked into it, with where each source comes from.
mkdir -p "$work/result"
{
    echo "ffmpeg.exe, shipped with Corvana, is FFmpeg ${version[ffmpeg]} built from Debian's source packages:"
    for p in "${packages[@]}"; do echo "  $p ${version[$p]}  (apt-get source $p=${version[$p]})"; done
    echo "Sources: https://snapshot.debian.org/package/ and https://ffmpeg.org/download.html."
    echo "It is licensed under the GNU Lesser General Public License 2.1 or later (text below);"
    echo "LAME is under the same licence; Opus, Vorbis and Ogg under the BSD-style licences below."
    echo "Built with only these parts: decoders $decoders; demuxers $demuxers; parsers $parsers;"
    echo "encoders $encoders; muxers $muxers; filters $filters; the file and pipe protocols."
    for f in ffmpeg/COPYING.LGPLv2.1 opus/COPYING libvorbis/COPYING libogg/COPYING; do
        printf '\n\n==== %s ====\n\n' "${f%%/*}: ${f#*/}"
        cat "$work/$f"
    done
} >"$work/result/ffmpeg-license.txt"
cp "$work/ffmpeg/ffmpeg.exe" "$work/result/ffmpeg.exe"
mkdir -p "$(dirname "$out")"
rm -rf "$out"
mv "$work/result" "$out"
rm -rf "$work"
echo "$out"
