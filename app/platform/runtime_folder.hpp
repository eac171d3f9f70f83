#pragma once
// The runtime folder (XDG_RUNTIME_DIR) where the single-instance lock and
// socket live. A desktop session sets it; where none does (a server, a
// cron job, su), the program gives itself a private one before Qt starts,
// so that Qt neither warns about it nor falls back to a folder of its own.

#include <QString>

// When XDG_RUNTIME_DIR is unset or empty: uses `<temp>/kve-runtime-<uid>`
// (temp: $TMPDIR, else /tmp), creating it with mode 0700 or tightening an
// existing one of this user to 0700, and sets XDG_RUNTIME_DIR to it. A
// folder of that name that belongs to another user, or that is a link or
// not a folder, is never used: a fresh private folder is made instead.
// Returns the folder it set, empty when the variable was set already or no
// folder could be made.
QString EnsureRuntimeFolder();
