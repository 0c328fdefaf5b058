#pragma once
// The zone operation the operator asked for, handed from the GUI thread to
// whichever receive loop owns the link (the data receiver on UDP and serial
// links, the TCP command worker on TCP links).
//
// The GUI thread fills zoneList or uploadImage under `lock` and then stores
// the operation (release) together with the link it was asked for; the loop
// takes it (acquire) once per round and copies what it needs under `lock`.
// Shared by the receiver and its TCP worker, so a request made while the TCP
// worker is being replaced is never lost or sent to a worker that no longer
// exists. A request left over from a link that closed or was replaced is
// dropped by the next link's loop: it never runs on another scanner.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "zone_types.h"

// Pending operation codes (zoneOp).
enum ZoneOpCode : int {
    ZoneOpNone = 0,
    ZoneOpRead = 1,
    ZoneOpWrite = 2,   // write zoneList
    ZoneOpUpload = 3,  // write uploadImage
};

struct ZoneRequests {
    std::mutex lock;
    zones zoneList;                        // list to write (guarded by lock)
    std::unique_ptr<ZoneDef> uploadImage;  // image to upload, allocated on first use (guarded by lock)
    // Pending operation: the link generation it was asked for, shifted left
    // by 8, and the operation code in the low byte.
    std::atomic<uint64_t> pending{ZoneOpNone};
    // Rotation direction flag (0 or 1) the zone image is mirrored with; set by
    // the receiver's setDirection, read by whichever loop runs the operation.
    std::atomic<int> direction{0};

    // Asks the loop of link `generation` to run `op` (ZoneOpNone cancels).
    void post(int op, unsigned generation) {
        pending.store(uint64_t(generation) << 8 | uint64_t(op & 0xFF), std::memory_order_release);
    }
    // Takes the operation pending for link `generation` (ZoneOpNone when
    // there is none). One asked for an earlier link is dropped; one asked for
    // a later link is left to that link's loop.
    int take(unsigned generation) {
        uint64_t p = pending.load(std::memory_order_acquire);
        for (;;) {
            const unsigned asked = unsigned(p >> 8);
            if (int(p & 0xFF) == ZoneOpNone || asked > generation) return ZoneOpNone;
            if (pending.compare_exchange_weak(p, ZoneOpNone, std::memory_order_acquire)) break;
        }
        return unsigned(p >> 8) == generation ? int(p & 0xFF) : ZoneOpNone;
    }

    zones copyList() {
        std::lock_guard<std::mutex> guard(lock);
        return zoneList;
    }
    // A copy of the upload image, or null when none was ever given.
    std::unique_ptr<ZoneDef> copyImage() {
        std::lock_guard<std::mutex> guard(lock);
        if (!uploadImage) return nullptr;
        return std::make_unique<ZoneDef>(*uploadImage);
    }
};
