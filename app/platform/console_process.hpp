#pragma once
// Starting external programs and reading what they wrote.
//
// In place of a console window that the program allocates and reads back,
// the output of a child started while a console is "allocated" is captured
// (standard output and error, in the order they arrive) into the console
// buffer; ReadConsoleText lays that text out as an 80-column console would.

#include <QByteArray>
#include <QString>

#include <cstdint>

#include "core/kve_code.hpp"

namespace KVECode {

// The console that stands for ConsoleHandle: allocate before a run whose
// text is to be read, read it with ReadConsoleText (which frees it).
class ConsoleCapture {
public:
    static void allocate();
    static void free();
    static bool isAllocated();
    static void append(const QByteArray& bytes);
    static QString text();
};

// Starts the command line (program and arguments split by the usual quoting
// rules, never through a shell) and waits for it to end without a time
// limit. Returns its exit code, or -1 at once when it cannot be started.
// Kept in the module's routine list; the program's own code never calls it, only tests do.
std::int32_t RunAndWait(QString& commandLine);

// The captured console text: by lines, every non-blank 80-column row
// trimmed and followed by CR LF; otherwise the first 400 characters of the
// screen, padded with blanks. Frees the console.
// Kept in the module's routine list; the program's own code never calls it, only tests do.
QString ReadConsoleText(bool byLines);

} // namespace KVECode
