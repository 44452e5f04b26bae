// The text of one FFmpeg job and the reading of its outcome: the command line, the output's
// name, and whether the job counts as done.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"

namespace corvana {

// What FFmpeg says about the source's first audio stream.
struct SourceAudio {
    int sampleRate = 0;
    std::wstring sampleFormat;  // "s16", "s32", "fltp"...; empty when FFmpeg named none we know
};

// The user's parameters (plus " -af loudnorm" when normalising), trimmed of blanks and control
// characters and framed by one blank on each side; a single blank when nothing is left.
// keep: when normalising, the filter ends in "aformat" with the source's sampling rate and sample
// format, because loudnorm works at 192 kHz in floating point and would otherwise hand that on
// to the output. Where the output format cannot carry the rate, FFmpeg still converts to one it
// can. Ignored without normalisation.
std::wstring ParameterBlock(std::wstring_view parameters, bool normalize,
                            const std::optional<SourceAudio>& keep = std::nullopt);

// Whether a job keeps the source's cover: the output's format holds one (MP3, FLAC and M4A; the
// others' muxers refuse a picture stream or drop it), the source is of a type that holds audio
// alone (a picture in a film container is a film), and the user's parameters choose no streams
// themselves ("-map", "-vn").
bool KeepsCover(std::wstring_view source, std::wstring_view output, std::wstring_view parameters);

// "ffmpeg.exe -hide_banner -y -vn -i" + quoted input + parameter block + quoted output. With cover, the
// source's first audio stream and its first picture (copied as it is; a stream that is a film is
// never taken) instead of "-vn", and ID3v2.3 tags in an MP3. When normalising, the ReplayGain tags
// go: they describe a loudness the output no longer has.
std::wstring FFmpegCommandLine(std::wstring_view infile, std::wstring_view outfile, std::wstring_view parameters,
                               bool normalize, const std::optional<SourceAudio>& keep = std::nullopt,
                               bool cover = false);

// True when the parameters choose the output's sampling rate themselves ("-ar", also with a
// stream specifier such as "-ar:a").
bool SetsSampleRate(std::wstring_view parameters);

// The first audio stream in FFmpeg's description of its input
// ("Stream #0:0: Audio: flac, 44100 Hz, stereo, s16"); empty when there is none or it has no rate.
std::optional<SourceAudio> FirstAudioStream(const std::vector<std::wstring>& ffmpegLog);

// "." + the format's name with its ASCII letters in lower case ("EAC3" gives ".eac3").
std::wstring OutputExtension(std::wstring_view format);
// folder + "\" + base name + extension. A source given without any folder keeps its output
// beside it (no folder) instead of in the root of the current drive.
std::wstring ComposeOutputPath(std::wstring_view folder, std::wstring_view baseName, std::wstring_view extension);

// The path itself when no file is there, else the first free "base (n).ext" for n = 2, 3, ...
// fileExists answers for files only: a folder at the path does not count.
std::wstring UniqueOutputName(std::wstring_view path, const std::function<bool(const std::wstring&)>& fileExists);

// A job is done only when FFmpeg said so (exit status 0) and left a non-empty file.
// exitStatus: empty when FFmpeg could not be started. outputSize: -1 when no file is at the path.
bool JobSucceeded(const std::optional<uint32_t>& exitStatus, int64_t outputSize);

}  // namespace corvana
