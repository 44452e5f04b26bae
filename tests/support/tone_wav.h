// Sample audio without FFmpeg: the bytes of a 16-bit PCM WAV file holding a 440 Hz sine tone.
// The tests and benchmarks make their sources with it and let ffmpeg.exe turn them into other
// formats, since the ffmpeg.exe Corvana ships has no signal generators.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace corvana::test {

inline std::string ToneWav(double seconds, int sampleRate = 44100, int channels = 1) {
    const uint32_t frames = static_cast<uint32_t>(std::lround(seconds * sampleRate));
    const uint32_t blockAlign = 2u * static_cast<uint32_t>(channels);
    const uint32_t dataSize = frames * blockAlign;
    std::string bytes;
    bytes.reserve(44 + dataSize);
    const auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    bytes += "RIFF";
    put(36 + dataSize, 4);
    bytes += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(sampleRate), 4);
    put(static_cast<uint32_t>(sampleRate) * blockAlign, 4);
    put(blockAlign, 2);
    put(16, 2);
    bytes += "data";
    put(dataSize, 4);
    const double step = 2 * 3.14159265358979323846 * 440 / sampleRate;
    for (uint32_t n = 0; n < frames; ++n) {
        const auto sample = static_cast<int16_t>(std::lround(std::sin(step * n) * 0.5 * 32767));
        for (int c = 0; c < channels; ++c) put(static_cast<uint16_t>(sample), 2);
    }
    return bytes;
}

}  // namespace corvana::test
