#pragma once
// Comparing zone data the way the scanner sees it.
//
// Images are compared byte for byte over what the scanner evaluates: the
// shape records and the direction tables of the sixteen zone slots. The
// header (creation time, CRC) is left out, since two encodings of one list
// differ there.
//
// Lists are compared record by record: every entry is first turned into the
// int32 values its record holds (zone_entry_device_values), so a list read
// from a JSON file and the same list read back from a scanner compare equal
// although the scanner keeps whole millimetres only. Plain functions; no Qt.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zone_types.h"

// ---- images

struct ZoneImageDifference {
    int zone = -1;         // first zone number (0..15) whose records or table differ
    bool inTable = false;  // the first differing byte of that zone lies in its direction table
    size_t offset = 0;     // byte offset of that byte in the image
};

// True when the record and table areas of `a` and `b` are equal; otherwise
// false, with the first differing zone in *diff (may be null).
bool zone_images_equal(const ZoneDef& a, const ZoneDef& b, ZoneImageDifference* diff = nullptr);

// Collects the image a zone write sends, from the bodies of its write
// requests (524 bytes: 0x101, offset, u16 length, u16 0, 512 data bytes).
// An erase request starts a new image; re-sent pieces overwrite themselves.
class ZoneWriteCapture {
public:
    ZoneWriteCapture();
    ~ZoneWriteCapture();

    // One write request body; anything that is not one is ignored.
    void add(const uint8_t* body, size_t len);
    void reset();
    // An erase was seen and every piece of the image after it.
    bool complete() const;
    const ZoneDef& image() const { return *m_image; }

private:
    std::unique_ptr<ZoneDef> m_image;
    std::vector<bool> m_seen;
    size_t m_pieces = 0;
    bool m_started = false;
};

// ---- lists

// One shape as the scanner stores it.
struct ZoneRecord {
    int zone = 0;
    int kind = 0;
    int type = 0;
    std::vector<int32_t> values;  // device axes, as in the image

    bool operator==(const ZoneRecord& o) const {
        return zone == o.zone && kind == o.kind && type == o.type && values == o.values;
    }
};

// The records of a list, in list order, converted under the mirroring flag.
std::vector<ZoneRecord> zone_records_of_list(const zones& list, bool mirror);

// The records of an image's sixteen slots, in slot and record order. Reading
// a slot stops at its first record that is not a valid shape (as decoding does).
std::vector<ZoneRecord> zone_records_of_image(const ZoneDef& def);

// The record as an entry in drawing axes (for printing), under the mirroring flag.
ZoneEntry zone_record_entry(const ZoneRecord& record, bool mirror);

struct ZoneRecordDiff {
    int zone = 0;
    int kind = 0;
    std::vector<ZoneRecord> onlyInA;
    std::vector<ZoneRecord> onlyInB;
    std::vector<std::pair<ZoneRecord, ZoneRecord>> changed;  // (A, B)
};

// Per zone number and kind (ascending), the records only in A, only in B and
// changed. Within one zone and kind, equal records pair off first (in any
// order); of the rest, records of the same shape pair in list order as
// "changed". Empty when the lists store the same shapes.
std::vector<ZoneRecordDiff> diff_zone_records(const std::vector<ZoneRecord>& a,
                                              const std::vector<ZoneRecord>& b);
