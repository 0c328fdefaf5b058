#pragma once
// The plain-text exchange on UART links: write a bare command text, read the
// scanner's answer, and find the value or status in it.
//
// The I/O and the clock come in through SerialIo, so the exchange runs the
// same against a serial port and against a scripted test double. Blocking;
// runs on the caller's thread (the command sender's).

#include <cstddef>
#include <cstdint>
#include <string>

#include "eeprom.h"

// One serial handle as the exchange needs it.
struct SerialIo {
    virtual ~SerialIo() = default;
    // Writes up to `len` bytes; returns the count written, or < 0 on error.
    virtual int write(const uint8_t* data, size_t len) = 0;
    // Reads what is available, at most `len` bytes, without waiting long;
    // returns the count read (0 when nothing arrived), or < 0 on error.
    virtual int read(uint8_t* data, size_t len) = 0;
    virtual void sleepMs(int ms) = 0;
};

// Bytes collected per exchange; the answer must lie within them.
constexpr size_t kUartReplyBuffer = 4096;

// Writes `command`, reads until kUartReplyBuffer bytes arrived or `retries`
// consecutive empty reads (1 ms apart) passed, then scans the answer:
//  - `prefix` found: for a query of kUartQueryTable `valueOut` gets the (up to)
//    `valueLength` characters after it; for the speed command ("LSRPM") the
//    status after one separator: "OK", "NG" (for "er") or empty; otherwise "OK";
//  - the command's echo found: the two status characters after one separator,
//    "ER" becoming "NG";
//  - "unsupport" found: "unsupport".
// Returns true when one of these was found (the scanner answered), false
// otherwise or when the command could not be written. `valueOut` is only
// changed on success.
bool uart_query(SerialIo& io, const std::string& command, const std::string& prefix, size_t valueLength,
                std::string& valueOut, int retries);

// Stores the value text of a query of kUartQueryTable into `block`:
// "LUUIDH" productSn, "LTYPEH" typeId, "LQSRPMH" rpm, "LQSMTH" smt, "LQDSWH" dsw,
// "LQAZNH" azn, "LQPSTH" pst, "LQNPNH" pnpBits, "LQOUTH" outMap[0..11],
// "LQCIRH" cir, "LQFIRH" fir, "LQZTPH" bit 4 of azn, "LQZIRH" bit 2 of flags143 and
// zirDistance, "LQSAFH" af. "LXVERH" is accepted and stores nothing.
// Returns false (block unchanged) for an unknown query or an unusable value.
bool parse_query_value(const std::string& query, const std::string& valueText, EEpromV101& block);

// How the command sender runs one UART command: which prefix to look for, how
// many characters to take and how many empty reads to allow.
struct UartCommandRow {
    std::string prefix;  // empty: the echo decides
    size_t valueLength = 0;
    int retries = 10;
    bool isQuery = false;  // the value belongs in the parameter block
};

// The row for a command text: queries (and "LSTARH"/"LSTOPH") by equality, set
// commands by containment of "LSSS", "LFFF", "LSRPM", "LSAZN", "LSPST", "LSPNP",
// "LSOUT", "LSCIR", "LSFIR", "LSBPS", "LSZTP", "LSZIR" in that order. Returns
// false for a command without a row (it is written once and not read back).
bool uart_command_row(const std::string& command, UartCommandRow& row);
