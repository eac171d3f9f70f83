// Fuzz target: the dataset reader on any bytes, and the save-load-save round
// trip of whatever it accepts. A file that was read and saved once must read
// back to the same state and save to the same bytes again.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/dataset_file.hpp"

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& first, const QByteArray& second)
{
    std::fprintf(stderr, "%s\n--- first ---\n%s\n--- second ---\n%s\n", what, first.constData(),
                 second.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = QStringLiteral("fuzz.KVE");
    const DatasetFile::LoadResult read = DatasetFile::parseDataset(bytes, path, QStringLiteral("19"), 20);
    if (!read.ok()) {
        if (read.error.text.isEmpty())
            fail("a refusal without a reason", bytes, QByteArray());
        return 0;
    }

    DatasetFile::DatasetState state;
    DatasetFile::applyContent(*read.content, state);
    const QByteArray saved = DatasetFile::formatDataset(state);

    const DatasetFile::LoadResult again = DatasetFile::parseDataset(saved, path, QStringLiteral("19"), 20);
    if (!again.ok())
        fail("a saved file is refused", saved, again.error.text.toUtf8());
    DatasetFile::DatasetState reloaded;
    DatasetFile::applyContent(*again.content, reloaded);
    const QByteArray resaved = DatasetFile::formatDataset(reloaded);
    if (resaved != saved)
        fail("save-load-save changes the file", saved, resaved);
    return 0;
}
