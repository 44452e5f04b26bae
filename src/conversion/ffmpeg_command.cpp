#include "conversion/ffmpeg_command.h"

#include "common/text.h"

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

std::wstring FFmpegCommandLine(std::wstring_view infile, std::wstring_view outfile, std::wstring_view parameters,
                               bool normalize, const std::optional<SourceAudio>& keep) {
    std::wstring line = L"ffmpeg.exe -y -vn -i \"";
    line += infile;
    line += L'"';
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
    size_t i = 0;
    while (i < parameters.size()) {
        while (i < parameters.size() && static_cast<unsigned>(parameters[i]) <= 32) ++i;
        size_t end = i;
        while (end < parameters.size() && static_cast<unsigned>(parameters[end]) > 32) ++end;
        const std::wstring_view token = parameters.substr(i, end - i);
        if (token == L"-ar" || token.substr(0, 4) == L"-ar:") return true;
        i = end;
    }
    return false;
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
