#include "core/program_info.hpp"

#include <QCoreApplication>

#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"

QString ProgramName()
{
    return QStringLiteral("KVE");
}

QString ProgramVersionText()
{
    const DatasetFile::FileVersion v = DatasetFile::programVersion();
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString MainWindowCaption()
{
    return ProgramName() + QStringLiteral(" v. ") + ProgramVersionText();
}

QString ComparisonWindowCaption(const QString& compareFileName)
{
    if (compareFileName.isEmpty())
        return ProgramName();
    return MainWindowCaption() + QStringLiteral(" - ") + KVECode::GetFileName(compareFileName);
}

QString ManualPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/KVE.html");
}
