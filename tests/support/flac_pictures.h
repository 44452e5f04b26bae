// Pictures put into FLAC files the way tagging programs store covers (a METADATA_BLOCK_PICTURE
// after the stream information), for sources with covers that ffmpeg.exe cannot make itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvana::test {

// A whole 1 x 1 PNG picture.
inline const std::string kOnePixelPng(
    "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89\0\0\0\rIDATx\x9c"
    "c\0\x01\0\0\x05\0\x01\r\n-\xb4\0\0\0\0IEND\xae\x42`\x82",
    67);

struct FlacPicture {
    uint32_t type;  // 3: the front cover, 0: another picture
    std::string mime;
    std::string data;
};

// The FLAC file's bytes with the pictures right after its stream information block; empty when
// the bytes are no FLAC file with more blocks after that one.
inline std::string WithFlacPictures(std::string flac, const std::vector<FlacPicture>& pictures) {
    const auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    if (flac.size() < 8 || flac.compare(0, 4, "fLaC") != 0 || (flac[4] & 0x80)) return {};
    const size_t infoLength = (static_cast<size_t>(static_cast<unsigned char>(flac[5])) << 16) |
                              (static_cast<size_t>(static_cast<unsigned char>(flac[6])) << 8) |
                              static_cast<unsigned char>(flac[7]);
    std::string blocks;
    for (const FlacPicture& p : pictures) {
        const std::string body = be32(p.type) + be32(static_cast<uint32_t>(p.mime.size())) + p.mime + be32(0) +
                                 be32(1) + be32(1) + be32(32) + be32(0) + be32(static_cast<uint32_t>(p.data.size())) +
                                 p.data;
        blocks += std::string(1, '\x06') + be32(static_cast<uint32_t>(body.size())).substr(1) + body;
    }
    flac.insert(8 + infoLength, blocks);
    return flac;
}

}  // namespace corvana::test
