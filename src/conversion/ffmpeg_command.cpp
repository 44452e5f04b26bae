#include "conversion/ffmpeg_command.h"

#include "common/text.h"

namespace corvana {

std::wstring ParameterBlock(std::wstring_view parameters, bool normalize) {
    std::wstring text(parameters);
    if (normalize) text += L" -af loudnorm";
    text = TrimControl(text);
    return text.empty() ? L" " : L" " + text + L" ";
}

std::wstring FFmpegCommandLine(std::wstring_view infile, std::wstring_view outfile, std::wstring_view parameters,
                               bool normalize) {
    std::wstring line = L"ffmpeg.exe -y -vn -i \"";
    line += infile;
    line += L'"';
    line += ParameterBlock(parameters, normalize);
    line += L'"';
    line += outfile;
    line += L'"';
    return line;
}

namespace {
size_t FileNameStart(std::wstring_view path) {
    const size_t sep = path.find_last_of(L"\\:");
    return sep == std::wstring_view::npos ? 0 : sep + 1;
}
size_t ExtensionStart(std::wstring_view path) {
    const size_t start = FileNameStart(path);
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring_view::npos || dot < start ? path.size() : dot;
}
}  // namespace

std::wstring FolderPart(std::wstring_view path) {
    return std::wstring(path.substr(0, FileNameStart(path)));
}

std::wstring FileNamePart(std::wstring_view path) {
    return std::wstring(path.substr(FileNameStart(path)));
}

std::wstring BaseName(std::wstring_view path) {
    const size_t start = FileNameStart(path);
    return std::wstring(path.substr(start, ExtensionStart(path) - start));
}

std::wstring ExtensionPart(std::wstring_view path) {
    return std::wstring(path.substr(ExtensionStart(path)));
}

std::wstring SourceFolder(std::wstring_view path) {
    std::wstring folder = FolderPart(path);
    // "C:\" stays a root; "C:\music\" loses its backslash.
    if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
    return folder;
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

JobOutcome JudgeJob(const std::optional<uint32_t>& exitStatus, int64_t outputSize, bool outputExistedBefore) {
    JobOutcome outcome;
    outcome.ok = exitStatus == 0u && outputSize != 0 && outputSize != -1;
    outcome.deleteOutput = !outcome.ok && outputSize != -1 && !outputExistedBefore;
    return outcome;
}

}  // namespace corvana
