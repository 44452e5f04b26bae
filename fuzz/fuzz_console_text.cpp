// FFmpeg's console output: decoding and line splitting of any bytes, and the progress reading of
// its stream lines. Decoding never yields more lines than line breaks plus one.
#include <algorithm>

#include "conversion/console_text.h"
#include "conversion/job_output.h"
#include "fuzz_input.h"

using namespace corvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    const std::vector<std::wstring> lines = ConsoleLines(bytes, fuzz::Latin1);
    const auto breaks = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\r') +
                                            std::count(bytes.begin(), bytes.end(), '\n'));
    FUZZ_CHECK(lines.size() <= breaks + 1);

    // The same bytes as they arrive from a pipe, in two pieces.
    ProgressReader progress;
    progress.Feed(bytes.substr(0, bytes.size() / 2));
    progress.Feed(bytes.substr(bytes.size() / 2));
    if (const auto percent = progress.Percent()) FUZZ_CHECK(*percent >= 0 && *percent <= 99);
    ParseClockTime(bytes);
    return 0;
}
