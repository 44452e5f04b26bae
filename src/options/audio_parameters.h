// The choices of the "Audio Settings" dialog and how a selection becomes an FFmpeg parameter text.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace corvana {

struct AudioChoice {
    const wchar_t* caption;
    const wchar_t* fragment;  // empty for "Auto"
};

// The rows in their on-screen order, top to bottom.
enum AudioRow : int { RowBitrate, RowBitrateControl, RowSamplingRate, RowChannels, kAudioRowCount };

struct AudioRowInfo {
    const wchar_t* label;
    std::span<const AudioChoice> choices;  // left to right; the first is "Auto"
};

const std::array<AudioRowInfo, kAudioRowCount>& AudioRows();

// The chosen button of each row, as an index into its choices (0 = "Auto").
using AudioSelection = std::array<int, kAudioRowCount>;

// Joins the fragments as channels, bitrate, sampling rate, bitrate control: each step appends one
// space and the next fragment and trims the result, so "Auto" rows leave no doubled or outer blanks.
std::wstring ComposeAudioParameters(std::wstring_view channels, std::wstring_view bitrate,
                                    std::wstring_view samplingRate, std::wstring_view bitrateControl);
std::wstring ComposeAudioParameters(const AudioSelection& selection);

}  // namespace corvana
