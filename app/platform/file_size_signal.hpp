#pragma once
// The file-size limit (ulimit -f, RLIMIT_FSIZE). A write beyond it raises
// SIGXFSZ, whose default action ends the program on the spot: an unattended
// run would end without a word and a window would lose every unsaved
// change. With the signal caught, the write fails with EFBIG ("File too
// large") instead, and the save reports it like any other failed write,
// keeping the previous file.

// Catches SIGXFSZ with a handler that does nothing. Programs the process
// starts get the default action back (a caught signal is reset by exec),
// as they would have it from a shell. Call once, before anything writes.
void keepRunningPastFileSizeLimit();
