#pragma once
// One fuzz entry point per parser. Each fuzz_<name>.cpp defines its entry
// with VANTREL_FUZZ_TARGET(name) and states what must hold whatever the
// input with FUZZ_CHECK(condition).
//
// Built with clang and -fsanitize=fuzzer (scripts/fuzz), the entry is
// libFuzzer's LLVMFuzzerTestOneInput and a failed check aborts the run.
// Built with VANTREL_FUZZ_REPLAY defined (tests/fuzz_replay), every entry
// registers itself by name, so one test program replays the committed seed
// and regression inputs of all targets under any compiler and sanitizer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#ifdef VANTREL_FUZZ_REPLAY

namespace fuzzreplay {
using Entry = int (*)(const uint8_t* data, size_t size);
// Returns true so that it can initialise a static.
bool registerTarget(const char* name, Entry entry);
// Records a failed check of the input being replayed.
void checkFailed(const char* condition, const char* file, int line);
}  // namespace fuzzreplay

#define VANTREL_FUZZ_TARGET(name)                                  \
    static int fuzzEntry_##name(const uint8_t* data, size_t size); \
    [[maybe_unused]] static const bool fuzzRegistered_##name =     \
        fuzzreplay::registerTarget(#name, &fuzzEntry_##name);      \
    static int fuzzEntry_##name(const uint8_t* data, size_t size)

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : fuzzreplay::checkFailed(#condition, __FILE__, __LINE__))

#else

#define VANTREL_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : __builtin_trap())

#endif

namespace fuzz {

// A heap copy of exactly `size` bytes, so that any read past the end of the
// input is caught by AddressSanitizer (libFuzzer's own buffer may be larger
// in the replay).
inline std::unique_ptr<uint8_t[]> exactCopy(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    return copy;
}

// Takes bytes off the front of the input, as a fuzz entry splits one input
// into choices and payloads. Reads past the end give zeros.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    size_t left() const { return m_size - m_pos; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t u16() {
        const uint16_t lo = byte();
        return uint16_t(lo | (byte() << 8));
    }
    // Up to n bytes; `taken` receives how many there were.
    const uint8_t* take(size_t n, size_t& taken) {
        taken = n < left() ? n : left();
        const uint8_t* p = m_data + m_pos;
        m_pos += taken;
        return p;
    }
    const uint8_t* rest(size_t& taken) { return take(left(), taken); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

}  // namespace fuzz
