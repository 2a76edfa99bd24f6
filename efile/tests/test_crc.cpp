// Block checksum: the fast form against the definition, byte by byte, on random data of every
// length around its eight-byte steps and at every alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "EFILE.h"

namespace {

// The definition: CRC-16 0x1021 bit by bit, forward from 0xFFFF and backward from 0x4110.
std::uint16_t crc16_bits(std::uint16_t crc, std::uint8_t byte) {
    crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit)
        crc = static_cast<std::uint16_t>((crc & 0x8000u) ? ((crc << 1) ^ 0x1021u) : (crc << 1));
    return crc;
}

std::uint32_t defined_checksum(const std::uint8_t* data, std::size_t length) {
    if (length == 0) return 0;
    std::uint16_t forward = 0xFFFF;
    std::uint16_t backward = 0x4110;
    for (std::size_t i = 0; i < length; ++i) forward = crc16_bits(forward, data[i]);
    for (std::size_t i = length; i > 0; --i) backward = crc16_bits(backward, data[i - 1]);
    return (static_cast<std::uint32_t>(forward) << 16) | backward;
}

}  // namespace

TEST(Checksum, MatchesTheDefinitionOnRandomData) {
    EXPECT_EQ(0u, CRC_calc_block(nullptr, 3));
    std::mt19937 random(1021);
    std::vector<std::uint8_t> data(70000);
    for (std::uint8_t& byte : data) byte = static_cast<std::uint8_t>(random());
    std::vector<std::size_t> lengths = {0, 1, 7, 8, 9, 15, 16, 17, 63, 64, 65, 4096, 65537};
    for (int i = 0; i < 200; ++i) lengths.push_back(random() % 300);
    for (std::size_t length : lengths)
        for (std::size_t offset = 0; offset < 8; ++offset)
            ASSERT_EQ(defined_checksum(data.data() + offset, length),
                      CRC_calc_block(data.data() + offset, static_cast<std::uint32_t>(length)))
                << "length " << length << " offset " << offset;
}
