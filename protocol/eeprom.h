#pragma once
// EEpromV101: the scanner's 152-byte stored configuration, returned whole for
// a GS_PACK request and edited field by field with set commands.
//
// Byte-packed and little-endian, exactly as on the wire; this program only
// runs on little-endian hosts, so the multi-byte fields are read in place.
// Reserved ranges are never interpreted but always carried byte-exact.

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct EEpromV101 {
    uint8_t reserved0[8];
    char productSn[20];     // ASCII, NUL-padded
    char typeId[16];        // ASCII, NUL-padded
    uint32_t deviceId;      // "LSDID"
    uint8_t ip[4];          // first octet first; on UART links bytes 0..2 hold the baud rate (low, mid, high)
    uint8_t mask[4];
    uint8_t gateway[4];
    uint8_t uploadIp[4];    // destination of the scan data ("LSDST")
    uint16_t uploadPort;
    uint16_t lidarPort;     // scanner's own UDP port
    uint16_t rpm;           // rotation speed, revolutions per minute
    uint16_t zirDistance;   // target-continuity distance threshold
    uint8_t fir;            // filter points
    uint8_t cir;            // filter rings
    uint16_t res;
    uint8_t ats;
    uint8_t tfx;            // fixed upload 0/1
    uint8_t smt;            // smoothing 0/1
    uint8_t dsw;            // trailing-point removal 0/1
    uint8_t reserved80[8];
    uint32_t dog;
    uint32_t pnpBits;       // bit k = k-th character of the "LSPNP" argument
    uint16_t af;            // trailing-point removal factor
    uint8_t azn;            // bits 0..3 active zone, bit 4 zone switching mode (1 software)
    uint8_t pst;            // upload type 0..3
    uint8_t outMap[16];     // byte k: outputs driven by status k (bit i = output i + 1)
    uint8_t reserved116[6];
    uint8_t ccw;            // 0 clockwise, otherwise counter-clockwise
    uint8_t reserved123[20];
    uint8_t flags143;       // bit 2: target segmentation
    uint8_t reserved144[8];
};
#pragma pack(pop)

static_assert(sizeof(EEpromV101) == 152, "EEpromV101 is 152 bytes on the wire");
static_assert(offsetof(EEpromV101, productSn) == 8);
static_assert(offsetof(EEpromV101, typeId) == 28);
static_assert(offsetof(EEpromV101, deviceId) == 44);
static_assert(offsetof(EEpromV101, ip) == 48);
static_assert(offsetof(EEpromV101, mask) == 52);
static_assert(offsetof(EEpromV101, gateway) == 56);
static_assert(offsetof(EEpromV101, uploadIp) == 60);
static_assert(offsetof(EEpromV101, uploadPort) == 64);
static_assert(offsetof(EEpromV101, lidarPort) == 66);
static_assert(offsetof(EEpromV101, rpm) == 68);
static_assert(offsetof(EEpromV101, zirDistance) == 70);
static_assert(offsetof(EEpromV101, fir) == 72);
static_assert(offsetof(EEpromV101, cir) == 73);
static_assert(offsetof(EEpromV101, res) == 74);
static_assert(offsetof(EEpromV101, ats) == 76);
static_assert(offsetof(EEpromV101, tfx) == 77);
static_assert(offsetof(EEpromV101, smt) == 78);
static_assert(offsetof(EEpromV101, dsw) == 79);
static_assert(offsetof(EEpromV101, dog) == 88);
static_assert(offsetof(EEpromV101, pnpBits) == 92);
static_assert(offsetof(EEpromV101, af) == 96);
static_assert(offsetof(EEpromV101, azn) == 98);
static_assert(offsetof(EEpromV101, pst) == 99);
static_assert(offsetof(EEpromV101, outMap) == 100);
static_assert(offsetof(EEpromV101, ccw) == 122);
static_assert(offsetof(EEpromV101, flags143) == 143);

// ---- Helpers over the block (plain functions; the layout above stays fixed).

// The leading run of characters of a NUL-padded text field (productSn, typeId)
// that are '-' .. ':', 'A'..'Z', 'a'..'z', space or '_', at most `width` bytes.
// Reads never go past `width`, so a field without a NUL is safe.
std::string eeprom_text(const char* field, size_t width);
inline std::string eeprom_product_sn(const EEpromV101& b) {
    return eeprom_text(b.productSn, sizeof b.productSn);
}
inline std::string eeprom_type_id(const EEpromV101& b) {
    return eeprom_text(b.typeId, sizeof b.typeId);
}

// Stores `text` into a fixed text field: at most `width` bytes, the rest NUL.
void eeprom_set_text(char* field, size_t width, const std::string& text);

// Four octets, first octet first, as "a.b.c.d" without leading zeros.
std::string eeprom_dotted_quad(const uint8_t octets[4]);

// On UART links bytes 48..50 (the ip field) carry the serial baud rate,
// low byte first.
uint32_t eeprom_uart_baud(const EEpromV101& b);
void eeprom_set_uart_baud(EEpromV101& b, uint32_t baud);

// Bit 2 of byte 143: target segmentation on/off.
inline bool eeprom_segmentation(const EEpromV101& b) {
    return (b.flags143 >> 2) & 1u;
}
