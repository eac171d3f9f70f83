#pragma once
// What a closed window frees goes back to the system. A chart of a million
// points or the report of a million rows frees hundreds of megabytes when
// its window closes; the heap keeps freed memory for its next blocks and
// gives back only what lies at its end, so without this the program would
// keep that memory as long as it runs.

class QCoreApplication;

// Once installed, every window that is deleted (a window closes and is
// deleted) is followed, when the event loop turns again, by one return of
// the heap's free memory to the system.
void returnFreedMemoryAfterWindows(QCoreApplication& app);

// Returns the heap's free memory to the system now.
void returnFreedMemory();
