// Comparing zone images over records and tables, and collecting the image a
// write sends from its request bodies.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "zone_compare.h"
#include "zone_image.h"

namespace {

std::unique_ptr<ZoneDef> patterned() {
    auto def = std::make_unique<ZoneDef>();
    auto* bytes = reinterpret_cast<uint8_t*>(def.get());
    for (size_t i = 0; i < sizeof(ZoneDef); ++i) bytes[i] = uint8_t(i * 7 + (i >> 9));
    return def;
}

}  // namespace

TEST(ZoneImageCompare, NamesTheFirstZoneThatDiffersAndIgnoresTheHeader) {
    auto a = patterned();
    auto b = std::make_unique<ZoneDef>(*a);
    b->createdAt ^= 0xFFFF;  // a later encoding of the same list
    b->crc ^= 1;
    EXPECT_TRUE(zone_images_equal(*a, *b));

    b->tables[9][11999] ^= 0x10;
    b->records[12][0] ^= 0x01;
    ZoneImageDifference diff;
    ASSERT_FALSE(zone_images_equal(*a, *b, &diff));
    EXPECT_EQ(diff.zone, 9);
    EXPECT_TRUE(diff.inTable);
    EXPECT_EQ(diff.offset, 0x4000u + 0x3000u * 9 + 11999);

    b->records[4][959] ^= 0x80;
    ASSERT_FALSE(zone_images_equal(*a, *b, &diff));
    EXPECT_EQ(diff.zone, 4);
    EXPECT_FALSE(diff.inTable);
    EXPECT_EQ(diff.offset, 0x400u + 960u * 4 + 959);
}

TEST(ZoneWriteCapture, CollectsEveryPieceAfterTheEraseAndNothingBefore) {
    auto image = patterned();
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.get());
    ZoneWriteCapture capture;
    // A piece before any erase belongs to no write.
    auto piece = zone_write_request(0, 512, bytes, 512);
    capture.add(piece.data(), piece.size());
    const uint8_t sizeAndCrc[8] = {0x00, 0x40, 0x03, 0x00, 1, 2, 3, 4};
    const auto erase = zone_write_request(kZoneErase, 0, sizeAndCrc, sizeof sizeAndCrc);
    capture.add(erase.data(), erase.size());
    for (uint32_t off = 0; off < kZoneDefSize; off += 512) {
        if (off == 0x2000) continue;  // one piece still missing
        piece = zone_write_request(off, 512, bytes + off, 512);
        capture.add(piece.data(), piece.size());
    }
    EXPECT_FALSE(capture.complete());
    piece = zone_write_request(0x2000, 512, bytes + 0x2000, 512);
    capture.add(piece.data(), 100);  // cut short: ignored
    EXPECT_FALSE(capture.complete());
    capture.add(piece.data(), piece.size());
    capture.add(piece.data(), piece.size());  // a re-send changes nothing
    ASSERT_TRUE(capture.complete());
    EXPECT_EQ(std::memcmp(&capture.image(), image.get(), sizeof(ZoneDef)), 0);

    // The next erase starts over.
    capture.add(erase.data(), erase.size());
    EXPECT_FALSE(capture.complete());
}
