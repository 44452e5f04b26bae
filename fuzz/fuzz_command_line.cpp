// The program's command line: splitting never fails badly; arguments joined with the documented
// quoting (each in double quotes) split into the same arguments; the -input/-output cut takes
// any text.
#include "conversion/command_line.h"
#include "fuzz_input.h"

using namespace corvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring line = fuzz::Wide(data, size);
    const std::vector<std::wstring> arguments = SplitCommandLine(line);
    for (const auto& argument : arguments) FUZZ_CHECK(argument.find(L'"') == std::wstring::npos);

    std::wstring quoted;
    for (const auto& argument : arguments) {
        if (!quoted.empty()) quoted += L' ';
        quoted += L'"' + argument + L'"';
    }
    // An argument that came out empty cannot be written back in quotes (a leading pair of quotes
    // is skipped), so the property holds for the others.
    bool anyEmpty = false;
    for (const auto& argument : arguments) anyEmpty = anyEmpty || argument.empty();
    if (!anyEmpty) FUZZ_CHECK(SplitCommandLine(quoted) == arguments);

    const InputOutput cut = CutInputOutput(JoinArguments(ProgramArguments(line)));
    (void)cut;
    CutInputOutput(line);
    return 0;
}
