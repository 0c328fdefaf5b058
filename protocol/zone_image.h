#pragma once
// Conversions between the zone list (`zones`) and the scanner's zone image
// (`ZoneDef`), the entry check applied before a write, and the bodies of the
// zone transfer requests. Plain re-entrant functions: no Qt objects, no
// clock (the image's creation time is passed in), no globals.
//
// Mirroring: `mirror` false gives the sign s = +1, true gives s = -1; the
// lateral axis of the drawing is multiplied by s on the way to the device and
// back, so encode and decode under the same flag agree.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zone_types.h"

// ---- entry check (the refusals the point-cloud page shows before a write)

enum class ZoneEntryCheck {
    Ok,
    AllZero,       // "The current parameter cannot all zero!"
    NotSector,     // "The current parameter cannot form a sector!"
    NearTooSmall,  // "The sector near distance  cannot be less than 10mm"
    TooFar,        // "The drawing distance of the alarm zone exceeds %1 mm, zone id %2"
    NotRectangle,  // "The current parameter cannot form a rectangle!"
};

// Checks one entry against `maxDistance` (mm, 0 = no limit). A sector whose
// Far distance is not the larger has Far and Near swapped in `entry`.
ZoneEntryCheck validate_zone_entry(ZoneEntry& entry, int maxDistance);

// The English text of a refusal (empty for Ok); the zone id is printed in decimal.
std::string zone_entry_check_text(ZoneEntryCheck check, int maxDistance, int zoneId);

// ---- packing limits

// Status codes of check_zone_list / zones_to_zonedef.
constexpr int kZoneListOk = 1;
constexpr int kZoneListBadCount = -1;      // count outside 0..64
constexpr int kZoneListBadEntry = -2;      // unknown type or kind, or a point count the shape cannot have
constexpr int kZoneListSlotOverflow = -3;  // one zone's records need more than its 960-byte slot

// Bytes the record of one entry takes in its slot (4-byte header + 4 per value).
size_t zone_record_size(const ZoneEntry& entry);

// Checks that a list can be packed without losing or overrunning anything.
// On failure *badIndex receives the entry index (BadEntry) or the zone
// number (SlotOverflow); either pointer may be null.
int check_zone_list(const zones& list, int* badIndex);

// English text for a check_zone_list failure; an overflowing zone number is printed in hexadecimal.
std::string zone_list_check_text(int status, int badIndex);

// ---- list -> image

// How the direction tables are computed. Both give the same bytes for every
// list; the reference scans every 8 mm step of every ray (seconds for a full
// list) and is kept to check the fast one against.
enum class ZoneRasteriser { Fast, Reference };

// Builds the whole image: header, shape records, rasterised direction tables
// and CRC. Returns kZoneListOk and the image CRC in *crcOut, or a negative
// check_zone_list status; a refused list leaves `out` untouched.
// Milliseconds for a full list with the fast rasteriser; still not for the GUI thread.
int zones_to_zonedef(const zones& list, bool mirror, uint32_t createdAt, ZoneDef& out,
                     uint32_t* crcOut = nullptr, int* badIndex = nullptr,
                     ZoneRasteriser rasteriser = ZoneRasteriser::Fast);

// CRC over bytes 16 .. end (53,244 words), as stored at offset 12.
uint32_t zonedef_crc(const ZoneDef& def);

// ---- image -> list

// Magic, version and size words.
bool zonedef_header_ok(const ZoneDef& def);

// Decodes the records of one slot (`len` bytes, normally 960) and appends
// them to `out`. Stops at the first invalid record, at the end of the slot
// and when `out` holds 64 entries. Returns the number of entries appended.
int set_graph(int slot, const uint8_t* data, size_t len, bool mirror, zones& out);

// Clears `out` and decodes all sixteen slots. Returns 1, or -1 on a bad
// header (then `out` stays empty).
int zonedef_to_zones(const ZoneDef& def, bool mirror, zones& out);

// ---- transfer request bodies (little-endian)

constexpr uint32_t kZoneSizeQuery = 0xFD009E21;   // read request offset: ask for size and CRC
constexpr uint32_t kZoneSizeAnswer = 0xFD0010F0;  // read reply offset of the size answer
constexpr uint32_t kZoneErase = 0xFD00EEEE;       // write request offset: erase
constexpr uint32_t kZoneReload = 0xFD0010AD;      // write request offset: reload
constexpr size_t kZonePieceSize = 512;
constexpr size_t kZonePieceCount = kZoneDefSize / kZonePieceSize;  // 416
constexpr size_t kZoneReadRequestSize = 32;
constexpr size_t kZoneWriteRequestSize = 524;
constexpr size_t kZoneReplyHeaderSize = 12;  // body bytes before a piece's data

// 32-byte read request body: 0x101, offset, length, 20 zero bytes.
std::vector<uint8_t> zone_read_request(uint32_t offset, uint32_t length);

// 524-byte write request body: 0x101, offset, u16 length, u16 0, 512 data
// bytes (the first dataLen taken from `data`, at most 512, the rest zero).
std::vector<uint8_t> zone_write_request(uint32_t offset, uint16_t length, const uint8_t* data,
                                        size_t dataLen);

// ---- one entry as the scanner stores it

// The int32 values of the entry's record in device axes (x forward,
// y = s * lateral), exactly as the image holds them.
std::vector<int32_t> zone_entry_device_values(const ZoneEntry& entry, bool mirror);
