#include "options/audio_parameters.h"

#include "common/text.h"

namespace corvana {

namespace {

constexpr AudioChoice kBitrates[] = {
    {L"Auto", L""},
    {L"128 Kbps", L"-b:a 128k"},
    {L"160 Kbps", L"-b:a 160k"},
    {L"192 Kbps", L"-b:a 192k"},
    {L"256 Kbps", L"-b:a 256k"},
    {L"320 Kbps", L"-b:a 320k"},
};
constexpr AudioChoice kBitrateControls[] = {
    {L"Auto", L""},
    {L"Variable Bit Rate (VBR)", L"-q:a 0"},
    {L"Average Bit Rate (ABR)", L"-abr 1"},
};
// 22.05 kHz is 22050 Hz: the rate the caption names and the one players and encoders expect.
constexpr AudioChoice kSamplingRates[] = {
    {L"Auto", L""},
    {L"8 kHz", L"-ar 8000"},
    {L"16 kHz", L"-ar 16000"},
    {L"22.05 kHz", L"-ar 22050"},
    {L"32 kHz", L"-ar 32000"},
    {L"44.1 kHz", L"-ar 44100"},
    {L"48 kHz", L"-ar 48000"},
    {L"96 kHz", L"-ar 96000"},
    {L"192 kHz", L"-ar 192000"},
};
constexpr AudioChoice kChannels[] = {
    {L"Auto", L""},
    {L"Mono", L"-ac 1"},
    {L"Stereo", L"-ac 2"},
    {L"5.1 Surround", L"-ac 6"},
    {L"7.1 Surround", L"-ac 8"},
};

std::wstring Append(std::wstring_view text, std::wstring_view fragment) {
    std::wstring joined(text);
    joined += L' ';
    joined += fragment;
    return TrimControl(joined);
}

}  // namespace

const std::array<AudioRowInfo, kAudioRowCount>& AudioRows() {
    static const std::array<AudioRowInfo, kAudioRowCount> rows = {{
        {L"Bitrate:", kBitrates},
        {L"Bitrate Control:", kBitrateControls},
        {L"Sampling Rate:", kSamplingRates},
        {L"Audio Channels:", kChannels},
    }};
    return rows;
}

std::wstring ComposeAudioParameters(std::wstring_view channels, std::wstring_view bitrate,
                                    std::wstring_view samplingRate, std::wstring_view bitrateControl) {
    return Append(Append(Append(channels, bitrate), samplingRate), bitrateControl);
}

std::wstring ComposeAudioParameters(const AudioSelection& selection) {
    const auto& rows = AudioRows();
    const auto fragment = [&](AudioRow row) -> std::wstring_view {
        const auto& choices = rows[row].choices;
        const int index = selection[row];
        return index >= 0 && static_cast<size_t>(index) < choices.size() ? choices[static_cast<size_t>(index)].fragment
                                                                         : L"";
    };
    return ComposeAudioParameters(fragment(RowChannels), fragment(RowBitrate), fragment(RowSamplingRate),
                                  fragment(RowBitrateControl));
}

}  // namespace corvana
