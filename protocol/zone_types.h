#pragma once
// The two forms of the protection-zone data.
//
// `zones` is the editable list the pages and signals carry: plain values,
// copied whole through queued connections (about 22 KB).
//
// `ZoneDef` is the scanner's zone image, 212992 (0x34000) bytes, transferred
// byte for byte. Its integers are little-endian on the wire; the struct is
// only ever used on little-endian hosts, where memory and wire agree.
//
// Units: lengths in millimetres; sector angles in 0.1 degree.

#include <cstddef>
#include <cstdint>

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "ZoneDef mirrors the little-endian device image; a big-endian host needs byte swapping here"
#endif

// Shape codes (ZoneEntry::type and the record's type byte).
enum ZoneShape : int32_t {
    ZoneShapePolygon = 1,
    ZoneShapeRectangle = 2,
    ZoneShapeEllipse = 3,
    ZoneShapeSector = 4,
    ZoneShapeFilter = 5,
};

// Zone kinds (ZoneEntry::kind).
enum ZoneKind : int32_t {
    ZoneKindObservation = 0,
    ZoneKindWarning = 1,
    ZoneKindAlarm = 2,
};

constexpr int kZoneCount = 16;       // zone numbers 0..15
constexpr int kMaxZoneEntries = 64;  // entries in one `zones` record
constexpr int kMaxZonePoints = 20;   // pairs in one entry

struct ZonePoint {
    double first = 0;
    double second = 0;
};

// One shape. `points` by type:
//   polygon, filter: vertices (lateral, forward), pointCount of them;
//   rectangle: (Buttom, Left), (Top, Right);
//   ellipse: (Center X, Center Y), (Width, Height);
//   sector: (Start angle, End angle) in 0.1 deg, (Far distance, Near distance).
struct ZoneEntry {
    int32_t type = 0;
    int32_t zoneId = 0;
    int32_t kind = 0;
    ZonePoint points[kMaxZonePoints];
    int32_t pointCount = 0;
    uint8_t selected = 0;
};

// The list of shapes; `count` entries of `entries` are in use (0..64).
// Default-constructed it is empty and zeroed; clear one with `list = zones{}`.
struct zones {
    int32_t count = 0;
    ZoneEntry entries[kMaxZoneEntries];
};

// ---- the device image

constexpr uint32_t kZoneMagic = 0x454E5A50;  // "PZNE"
constexpr uint32_t kZoneVersion = 0x101;
constexpr uint32_t kZoneDefSize = 0x34000;
constexpr uint32_t kZoneTableAreaSize = 0x30000;
constexpr size_t kZoneRecordSlotSize = 960;
constexpr size_t kZoneTableSlotSize = 0x3000;
constexpr int kZoneDirections = 1000;       // table entries per slot, one every 0.36 deg
constexpr size_t kZoneTableEntrySize = 12;  // three (start, end) u16 pairs
constexpr size_t kZoneTableUsed = kZoneDirections * kZoneTableEntrySize;  // 12000

struct ZoneDef {
    uint32_t magic;      // kZoneMagic
    uint32_t version;    // kZoneVersion
    uint32_t size;       // kZoneDefSize
    uint32_t crc;        // crc32_words over bytes 16 .. end
    uint32_t tableSize;  // kZoneTableAreaSize
    uint32_t createdAt;  // low 32 bits of seconds since 1970-01-01 UTC
    uint8_t reserved[1000];
    uint8_t records[kZoneCount][kZoneRecordSlotSize];  // shape records of zone k
    uint8_t tables[kZoneCount][kZoneTableSlotSize];    // direction table of zone k
};

static_assert(sizeof(ZoneDef) == kZoneDefSize, "zone image size");
static_assert(offsetof(ZoneDef, crc) == 12, "zone image CRC offset");
static_assert(offsetof(ZoneDef, tableSize) == 16, "zone image table size offset");
static_assert(offsetof(ZoneDef, createdAt) == 20, "zone image time offset");
static_assert(offsetof(ZoneDef, records) == 0x400, "zone record area offset");
static_assert(offsetof(ZoneDef, tables) == 0x4000, "zone table area offset");
