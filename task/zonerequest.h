#pragma once
// The zone operation the operator asked for, handed from the GUI thread to
// whichever receive loop owns the link (the data receiver on UDP and serial
// links, the TCP command worker on TCP links).
//
// The GUI thread fills zoneList or uploadImage under `lock` and then stores
// zoneOp (release); the loop takes zoneOp (acquire) once per round and copies
// what it needs under `lock`. Shared by the receiver and its TCP worker, so a
// request made while the TCP worker is being replaced is never lost or sent
// to a worker that no longer exists.

#include <atomic>
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
    std::atomic<int> zoneOp{ZoneOpNone};
    // Rotation direction flag (0 or 1) the zone image is mirrored with; set by
    // the receiver's setDirection, read by whichever loop runs the operation.
    std::atomic<int> direction{0};

    // Takes the pending operation (leaves ZoneOpNone behind).
    int take() { return zoneOp.exchange(ZoneOpNone, std::memory_order_acquire); }
    void post(int op) { zoneOp.store(op, std::memory_order_release); }

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
