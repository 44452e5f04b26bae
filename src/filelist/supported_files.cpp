#include "filelist/supported_files.h"

#include "common/temporary_output.h"
#include "common/text.h"

namespace corvana {

namespace {

const FileType* TypeOf(std::wstring_view name) {
    const size_t start = [&] {
        const size_t sep = name.find_last_of(L"\\:");
        return sep == std::wstring_view::npos ? 0 : sep + 1;
    }();
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < start) return nullptr;
    const std::wstring_view extension = name.substr(dot + 1);
    for (const auto& type : kFileTypes)
        if (EqualsIgnoreAsciiCase(extension, type.extension)) return &type;
    return nullptr;
}

}  // namespace

bool IsSupportedFile(std::wstring_view name) {
    const FileType* type = TypeOf(name);
    // A job's file that is not whole yet (this or another instance's) is never a source.
    return type && type->takenFromFolders && !TemporaryOutputOwner(name);
}

bool IsAudioOnlyFile(std::wstring_view name) {
    const FileType* type = TypeOf(name);
    return type && type->audioOnly;
}

std::wstring OpenDialogFilter() {
    std::wstring filter = L"Supported Files|";
    for (const auto& type : kFileTypes) {
        if (&type != kFileTypes) filter += L';';
        filter += L"*.";
        filter += type.extension;
    }
    return filter + L"|All Files|*.*";
}

}  // namespace corvana
