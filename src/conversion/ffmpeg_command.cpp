#include "conversion/ffmpeg_command.h"

#include "common/paths.h"
#include "common/text.h"
#include "filelist/supported_files.h"

namespace corvana {

std::wstring ParameterBlock(std::wstring_view parameters, bool normalize, const std::optional<SourceAudio>& keep) {
    std::wstring text(parameters);
    if (normalize) text += L" -af loudnorm";
    if (normalize && keep) {
        text += L",aformat=";
        if (!keep->sampleFormat.empty()) text += L"sample_fmts=" + keep->sampleFormat + L":";
        text += L"sample_rates=" + std::to_wstring(keep->sampleRate);
    }
    text = TrimControl(text);
    return text.empty() ? L" " : L" " + text + L" ";
}

namespace {

// Whether the parameters hold the option as a word of its own, also with a stream specifier
// ("-ar", "-ar:a"), as FFmpeg reads them: words end at blanks and control characters.
bool HasOption(std::wstring_view parameters, std::wstring_view option) {
    size_t i = 0;
    while (i < parameters.size()) {
        while (i < parameters.size() && static_cast<unsigned>(parameters[i]) <= 32) ++i;
        size_t end = i;
        while (end < parameters.size() && static_cast<unsigned>(parameters[end]) > 32) ++end;
        const std::wstring_view word = parameters.substr(i, end - i);
        if (word.starts_with(option) && (word.size() == option.size() || word[option.size()] == L':')) return true;
        i = end;
    }
    return false;
}

}  // namespace

bool KeepsCover(std::wstring_view source, std::wstring_view output, std::wstring_view parameters) {
    const std::wstring extension = AsciiLowerCase(ExtensionPart(output));
    if (extension != L".mp3" && extension != L".flac" && extension != L".m4a") return false;
    return IsAudioOnlyFile(source) && !HasOption(parameters, L"-map") && !HasOption(parameters, L"-vn");
}

std::wstring FFmpegCommandLine(std::wstring_view infile, std::wstring_view outfile, std::wstring_view parameters,
                               bool normalize, const std::optional<SourceAudio>& keep, bool cover) {
    std::wstring line = cover ? L"ffmpeg.exe -hide_banner -y -i \"" : L"ffmpeg.exe -hide_banner -y -vn -i \"";
    line += infile;
    line += L'"';
    if (cover) {
        // "V" is a video stream that is no attached picture: a film's, which is never kept.
        line += L" -map 0:a:0 -map 0:v:0? -map -0:V? -c:v copy";
        if (EqualsIgnoreAsciiCase(ExtensionPart(outfile), L".mp3")) line += L" -id3v2_version 3";
    }
    if (normalize)
        for (const wchar_t* tag :
             {L"REPLAYGAIN_TRACK_GAIN", L"REPLAYGAIN_TRACK_PEAK", L"REPLAYGAIN_ALBUM_GAIN", L"REPLAYGAIN_ALBUM_PEAK"}) {
            // In the file's tags, and in the audio stream's (where Ogg keeps them).
            line += L" -metadata ";
            line += tag;
            line += L"= -metadata:s:a ";
            line += tag;
            line += L'=';
        }
    line += ParameterBlock(parameters, normalize, keep);
    line += L'"';
    line += outfile;
    line += L'"';
    return line;
}

std::wstring OutputExtension(std::wstring_view format) {
    return L"." + AsciiLowerCase(format);
}

std::wstring ComposeOutputPath(std::wstring_view folder, std::wstring_view baseName, std::wstring_view extension) {
    std::wstring path;
    if (!folder.empty()) {
        path = folder;
        path += L'\\';
    }
    path += baseName;
    path += extension;
    return path;
}

std::wstring UniqueOutputName(std::wstring_view path, const std::function<bool(const std::wstring&)>& fileExists) {
    std::wstring candidate(path);
    if (!fileExists(candidate)) return candidate;
    const std::wstring stem = FolderPart(path) + BaseName(path) + L" (";
    const std::wstring extension = ExtensionPart(path);
    for (unsigned long long n = 2;; ++n) {
        candidate = stem + std::to_wstring(n) + L")" + extension;
        if (!fileExists(candidate)) return candidate;
    }
}

bool JobSucceeded(const std::optional<uint32_t>& exitStatus, int64_t outputSize) {
    return exitStatus == 0u && outputSize > 0;
}

bool SetsSampleRate(std::wstring_view parameters) {
    return HasOption(parameters, L"-ar");
}

std::optional<SourceAudio> FirstAudioStream(const std::vector<std::wstring>& ffmpegLog) {
    static constexpr std::wstring_view kSampleFormats[] = {L"u8",  L"s16",  L"s32",  L"s64",  L"flt",  L"dbl",
                                                           L"u8p", L"s16p", L"s32p", L"s64p", L"fltp", L"dblp"};
    for (const auto& line : ffmpegLog) {
        const size_t stream = line.find(L"Stream #");
        if (stream == std::wstring::npos) continue;
        const size_t audio = line.find(L": Audio: ", stream);
        if (audio == std::wstring::npos) continue;
        // "..., 44100 Hz, stereo, s16, 1411 kb/s": the rate, the channel layout, the sample format.
        const size_t hz = line.find(L" Hz", audio);
        if (hz == std::wstring::npos) return std::nullopt;
        size_t begin = hz;
        while (begin > audio && line[begin - 1] >= L'0' && line[begin - 1] <= L'9') --begin;
        if (begin == hz || hz - begin > 7) return std::nullopt;
        SourceAudio source;
        source.sampleRate = std::stoi(line.substr(begin, hz - begin));
        if (source.sampleRate <= 0) return std::nullopt;
        const size_t layout = line.find(L", ", hz);
        const size_t layoutEnd = layout == std::wstring::npos ? layout : line.find(L", ", layout + 2);
        if (layoutEnd != std::wstring::npos) {
            size_t end = layoutEnd + 2;
            while (end < line.size() &&
                   ((line[end] >= L'a' && line[end] <= L'z') || (line[end] >= L'0' && line[end] <= L'9')))
                ++end;
            const std::wstring_view format = std::wstring_view(line).substr(layoutEnd + 2, end - layoutEnd - 2);
            for (auto known : kSampleFormats)
                if (format == known) source.sampleFormat = std::wstring(format);
        }
        return source;
    }
    return std::nullopt;
}

}  // namespace corvana
