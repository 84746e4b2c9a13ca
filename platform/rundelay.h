#pragma once

// How long a thread has waited for a processor while ready to run (its run delay), from the
// kernel's scheduler statistics: what a crowded machine adds to anything timed by the wall
// clock. The kernel adds a wait when it ends, so the figure read by the thread itself, which
// is running, is whole.

// The run delay in ns from a schedstat file ("/proc/self/schedstat": the main thread;
// "/proc/thread-self/schedstat": the caller), or -1 where the kernel keeps none.
// Async-signal-safe: raw calls only, no allocation.
long long RunDelayNs(const char *schedstat);
