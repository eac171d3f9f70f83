// Fuzz target: the command-line tokenizer and the switch reader on any
// text, and the command line built back from the tokens.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/command_line.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList Parm;
    KVECode::GetParameters(line, Parm);
    for (qsizetype i = 1; i < Parm.size(); ++i) {
        // A token is never empty (a blank it ends in was quoted).
        if (Parm.at(i).isEmpty()) {
            std::fprintf(stderr, "token %lld of [%s] is [%s]\n", static_cast<long long>(i),
                         line.toUtf8().constData(), Parm.at(i).toUtf8().constData());
            std::abort();
        }
    }
    (void)KVECode::ParseSwitches(Parm);

    // The tokens as arguments of main(): made absolute, joined, split again.
    const QStringList arguments = Parm.mid(1);
    const QStringList absolute = KVECode::AbsoluteSwitchPaths(arguments, QStringLiteral("/work folder"));
    QStringList again;
    KVECode::GetParameters(KVECode::BuildCommandLine(absolute), again);
    (void)KVECode::ParseSwitches(again);
    return 0;
}
