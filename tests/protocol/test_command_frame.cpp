#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_frame.h"
#include "crc32.h"
#include "reference_crc.h"

namespace {

using testsupport::referenceCrc;

std::vector<uint8_t> le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// A frame assembled byte by byte from the wire layout.
std::vector<uint8_t> handFrame(uint8_t mode0, uint8_t mode1, uint16_t sn, const std::string& body,
                               size_t padded) {
    std::vector<uint8_t> f = {
        'L', 'H', mode0, mode1, uint8_t(sn), uint8_t(sn >> 8), uint8_t(padded), uint8_t(padded >> 8)};
    for (char c : body) f.push_back(uint8_t(c));
    f.resize(8 + padded, 0);
    const auto crc = le32(referenceCrc(f, padded / 4 + 2));
    f.insert(f.end(), crc.begin(), crc.end());
    return f;
}

}  // namespace

TEST(Crc32Words, KnownAnswers) {
    // The well-known result of this CRC for the single word 0x12345678.
    const uint8_t word[4] = {0x78, 0x56, 0x34, 0x12};
    EXPECT_EQ(crc32_words(word, 1), 0xDF8A8A2Bu);
    // No words: the initial register comes back unchanged.
    EXPECT_EQ(crc32_words(word, 0), 0xFFFFFFFFu);
}

TEST(Crc32Words, MatchesBitwiseReferenceAndContinues) {
    std::vector<uint8_t> bytes(64);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 37 + 11);
    EXPECT_EQ(crc32_words(bytes.data(), 16), referenceCrc(bytes, 16));
    const uint32_t half = crc32_words(bytes.data(), 7);
    EXPECT_EQ(crc32_words_update(half, bytes.data() + 28, 9), crc32_words(bytes.data(), 16));
}

TEST(CommandFrameEncode, TenByteSpeedCommandPadsToTwelve) {
    const auto frame = encode_command_frame(S_PACK, 0xBEEF, "LSRPM:600H");
    ASSERT_EQ(frame.size(), 24u);
    EXPECT_EQ(frame, handFrame(0x53, 0x00, 0xBEEF, "LSRPM:600H", 12));
    EXPECT_EQ(frame[6], 12);
    EXPECT_EQ(frame[7], 0);
    EXPECT_EQ(frame[18], 0);  // two zero pad bytes
    EXPECT_EQ(frame[19], 0);
}

TEST(CommandFrameEncode, ParameterBlockRequestCarriesSGMode) {
    const auto frame = encode_command_frame(GS_PACK, 7, "xxxxxx");
    ASSERT_EQ(frame.size(), 20u);
    EXPECT_EQ(frame[2], 0x53);
    EXPECT_EQ(frame[3], 0x47);
    EXPECT_EQ(frame[6], 8);
    EXPECT_EQ(frame, handFrame(0x53, 0x47, 7, "xxxxxx", 8));
}

TEST(CommandFrameEncode, FourByteBodyHasNoPadding) {
    const auto frame = encode_command_frame(C_PACK, 0x0102, "ABCD");
    ASSERT_EQ(frame.size(), 16u);
    EXPECT_EQ(frame, handFrame(0x43, 0x00, 0x0102, "ABCD", 4));
}

TEST(CommandFrameEncode, EmptyBodyIsHeaderAndCrcOnly) {
    const auto frame = encode_command_frame(C_PACK, 1, "");
    ASSERT_EQ(frame.size(), 12u);
    EXPECT_EQ(frame, handFrame(0x43, 0x00, 1, "", 0));
}

TEST(CommandFrameEncode, BodyLimitIs2040Bytes) {
    const std::string largest(2040, 'a');
    const auto frame = encode_command_frame(S_PACK, 2, largest);
    ASSERT_EQ(frame.size(), 2052u);
    EXPECT_EQ(frame[6] | frame[7] << 8, 2040);
    EXPECT_TRUE(encode_command_frame(S_PACK, 2, std::string(2041, 'a')).empty());
}

TEST(CommandFrameEncode, ReplyCodesAreComplements) {
    EXPECT_EQ(reply_code(C_PACK), 0xFFBC);
    EXPECT_EQ(reply_code(S_PACK), 0xFFAC);
    EXPECT_EQ(reply_code(GS_PACK), 0xB8AC);
    EXPECT_EQ(reply_code(ZONE_WRITE_PACK), 0xA5AC);
    EXPECT_EQ(reply_code(ZONE_READ_PACK), 0xA5B8);
    EXPECT_EQ(reply_code(BOX_PACK), 0xFF8A);
}

TEST(CommandFrameDecode, SetReplyEchoesSequenceNumber) {
    // The scanner's "OK" answer to an S_PACK frame with sn 0x4321, built by hand.
    const auto reply = handFrame(0xAC, 0xFF, 0x4321, "OK", 4);
    CommandFrameView view;
    ASSERT_EQ(decode_command_frame(reply.data(), reply.size(), view), 1);
    EXPECT_EQ(view.mode, reply_code(S_PACK));
    EXPECT_EQ(view.sn, 0x4321);
    EXPECT_EQ(view.length, 4);
    EXPECT_EQ(view.frameLength, 16u);
    EXPECT_TRUE(view.crcOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view.body), 2), "OK");
}

TEST(CommandFrameDecode, PartialFrameNeedsMoreBytes) {
    const auto frame = encode_command_frame(S_PACK, 9, "LSRPM:600H");
    CommandFrameView view;
    for (size_t len : {size_t(0), size_t(1), size_t(7), frame.size() - 1})
        EXPECT_EQ(decode_command_frame(frame.data(), len, view), 0) << len;
}

TEST(CommandFrameDecode, ForeignBytesAndOversizedLengthAreRejected) {
    CommandFrameView view;
    const uint8_t foreign[12] = {'X', 'H', 0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(decode_command_frame(foreign, sizeof foreign, view), -1);
    // A length field beyond 2040 must not make the decoder wait for (or read) that much.
    std::vector<uint8_t> huge = {'L', 'H', 0x53, 0, 0, 0, 0xFC, 0x07};  // 2044
    huge.resize(4000, 0);
    EXPECT_EQ(decode_command_frame(huge.data(), huge.size(), view), -1);
}

TEST(CommandFrameDecode, CorruptedByteFailsCrc) {
    auto frame = encode_command_frame(S_PACK, 9, "LSRPM:600H");
    frame[10] ^= 0x01;
    CommandFrameView view;
    ASSERT_EQ(decode_command_frame(frame.data(), frame.size(), view), 1);
    EXPECT_FALSE(view.crcOk);
}

TEST(CommandFrameDecode, UnalignedDeclaredLengthIsWholeButFailsCrc) {
    // A peer may declare a body length that is not a multiple of 4: the frame
    // still spans length + 12 bytes, but its CRC cannot be checked.
    std::vector<uint8_t> reply = {'L', 'H', 0xAC, 0xFF, 3, 0, 6, 0, 'O', 'K', 0, 0, 0, 0};
    reply.resize(18, 0);
    CommandFrameView view;
    EXPECT_EQ(decode_command_frame(reply.data(), reply.size() - 1, view), 0);
    ASSERT_EQ(decode_command_frame(reply.data(), reply.size(), view), 1);
    EXPECT_EQ(view.length, 6);
    EXPECT_EQ(view.frameLength, 18u);
    EXPECT_FALSE(view.crcOk);
}
