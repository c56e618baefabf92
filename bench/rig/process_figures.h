#pragma once
// Figures of this process: resident memory and CPU time used.

#include <cstdint>

namespace tally::bench {

// Resident memory now, in bytes (/proc/self/statm).
std::uint64_t ResidentBytes();

// CPU time used so far, user and system together, in microseconds.
std::int64_t CpuMicroseconds();

// Times this process gave up the processor to wait (voluntary context
// switches): each is a wake-up that found nothing to do or work to do.
std::int64_t VoluntaryWaits();

// Microseconds on the monotonic clock, the same in every process.
std::int64_t MonotonicMicroseconds();

}  // namespace tally::bench
