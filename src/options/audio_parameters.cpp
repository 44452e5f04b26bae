#include "options/audio_parameters.h"

#include "common/text.h"

namespace corvana {

namespace {

constexpr AudioChoice kBitrates[] = {
    {L"Auto", L"", 1},
    {L"128 Kbps", L"-b:a 128k", 2},
    {L"160 Kbps", L"-b:a 160k", 3},
    {L"192 Kbps", L"-b:a 192k", 4},
    {L"256 Kbps", L"-b:a 256k", 5},
    {L"320 Kbps", L"-b:a 320k", 6},
};
constexpr AudioChoice kBitrateControls[] = {
    {L"Auto", L"", 25},
    {L"Variable Bit Rate (VBR)", L"-q:a 0", 22},
    {L"Average Bit Rate (ABR)", L"-abr 1", 23},
};
// 22.05 kHz is 22050 Hz: the rate the caption names and the one players and encoders expect.
constexpr AudioChoice kSamplingRates[] = {
    {L"Auto", L"", 15},
    {L"8 kHz", L"-ar 8000", 7},
    {L"16 kHz", L"-ar 16000", 8},
    {L"22.05 kHz", L"-ar 22050", 9},
    {L"32 kHz", L"-ar 32000", 10},
    {L"44.1 kHz", L"-ar 44100", 11},
    {L"48 kHz", L"-ar 48000", 12},
    {L"96 kHz", L"-ar 96000", 13},
    {L"192 kHz", L"-ar 192000", 14},
};
constexpr AudioChoice kChannels[] = {
    {L"Auto", L"", 21},
    {L"Mono", L"-ac 1", 16},
    {L"Stereo", L"-ac 2", 17},
    {L"5.1 Surround", L"-ac 6", 18},
    {L"7.1 Surround", L"-ac 8", 20},
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
