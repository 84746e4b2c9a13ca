#pragma once

// The keying outputs that must go to key-up however the program ends. Each open keying port
// registers here (the serial keying port while it is open; the parallel port once claimed),
// and a handler of a signal that ends the process calls ReleaseAllNow before the process
// goes: DTR and RTS of every serial entry down, every parallel entry's control register at
// its key-up value.
//
// The table is fixed and lock-free, and each entry keeps a duplicate of the port's descriptor
// for this purpose alone, so ReleaseAllNow is safe in a signal handler, on any thread, even
// while the port's owner is closing its own descriptor. Register after opening; unregister
// before closing (the kept duplicate would otherwise hold the device open, and the close
// would not be the last one that drops the lines).

#include <cstdint>

namespace keyingsafety {

constexpr int EntryCount = 8;

// A serial keying port's descriptor: its DTR and RTS are lowered. Returns the entry (0 or
// more), or -1 when the descriptor cannot be duplicated or the table is full.
int RegisterSerialPort(int fd);

// A claimed parallel port's descriptor (/dev/parportN) and the control-register value that
// puts the keying pin at its key-up level (changed with SetParallelKeyUp whenever the pin,
// its polarity or the idle shadow changes). Returns the entry, or -1.
int RegisterParallelPort(int fd, std::uint8_t keyUpControl);
void SetParallelKeyUp(int entry, std::uint8_t keyUpControl);
// The key-up value a parallel entry holds; -1 for an entry that is none.
int ParallelKeyUp(int entry);

// Removes an entry and closes its kept descriptor; -1 and entries already removed are
// ignored.
void Unregister(int entry);

// Every registered output to key-up. Async-signal-safe: only atomic loads and ioctl calls.
void ReleaseAllNow();

} // namespace keyingsafety
