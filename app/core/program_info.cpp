#include "core/program_info.hpp"

#include "core/dataset_file.hpp"

QString ProgramVersionText()
{
    const DatasetFile::FileVersion v = DatasetFile::programVersion();
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

QString MainWindowCaption()
{
    return QStringLiteral("Veltrane v. ") + ProgramVersionText();
}
