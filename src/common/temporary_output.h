// How the program names the files its jobs write until they are whole:
// "~Corvana-<process id>-<job>[-<n>].part<output's extension>", in the output's own folder. The
// process id in the name tells a crashed instance's leftovers from a running instance's files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvana {

// The part of a token that names the process, "Corvana-<process id>-".
std::wstring TemporaryTokenPrefix(uint32_t processId);

// The temporary name of an output: in the output's folder, with the output's extension, so that
// FFmpeg picks the same format. token tells runs and jobs apart.
std::wstring TemporaryOutputPath(std::wstring_view output, std::wstring_view token);

// The id of the process that wrote a file of this name, when the name (a file name or a path) is
// one of the program's temporary outputs; empty for every other name.
std::optional<uint32_t> TemporaryOutputOwner(std::wstring_view name);

}  // namespace corvana
