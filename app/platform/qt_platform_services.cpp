#include "platform/qt_platform_services.hpp"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

#include "platform/console_text_box.hpp"
#include "platform/message_sinks.hpp"
#include "platform/system_info.hpp"

bool nobodyCanSeeWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

MsgAnswer ConsoleMessageService::ask(const MessageRequest& request)
{
    const QString title = request.title.isEmpty() ? Platform::applicationTitle() : request.title;
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    writeErrorLine(title + QStringLiteral(": ") + text);
    return request.defaultAnswer;
}

namespace {
// The caption, the text and the icon of a box.
void describeBox(QMessageBox& box, const MessageRequest& request)
{
    box.setWindowTitle(request.title.isEmpty() ? Platform::applicationTitle() : request.title);
    box.setText(request.text);
    // What a screen reader (and the window list of a command line) gives
    // as the box's name: its message.
    box.setAccessibleName(request.text);
    switch (request.icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
    }
}
} // namespace

void QtMessageService::notify(const MessageRequest& request)
{
    if (nobodyCanSeeWindows()) {
        ConsoleMessageService().ask(request);
        return;
    }
    auto* box = new QMessageBox();
    describeBox(*box, request);
    box->setStandardButtons(QMessageBox::Ok);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    box->raise();
    box->activateWindow();
}

MsgAnswer QtMessageService::ask(const MessageRequest& request)
{
    if (nobodyCanSeeWindows())
        return ConsoleMessageService().ask(request);
    if (request.consoleText) {
        ConsoleTextBox box(request.title.isEmpty() ? Platform::applicationTitle() : request.title, request.text,
                           request.icon, QApplication::activeWindow());
        box.exec();
        return MsgAnswer::Ok;
    }
    QMessageBox box;
    describeBox(box, request);
    QMessageBox::StandardButtons buttons;
    switch (request.buttons) {
    case MsgButtons::Ok: buttons = QMessageBox::Ok; break;
    case MsgButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case MsgButtons::YesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(buttons);
    const auto toButton = [](MsgAnswer a) {
        switch (a) {
        case MsgAnswer::Ok: return QMessageBox::Ok;
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        }
        return QMessageBox::Ok;
    };
    if (buttons.testFlag(toButton(request.defaultAnswer)))
        box.setDefaultButton(toButton(request.defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: break;
    }
    // Closing the box with the window's close button
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No
           : request.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                : MsgAnswer::Cancel;
}

QStringList QtFileDialogService::nameFilters(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Patterns match in either case, as on the file systems the
        // stored names come from.
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p.trimmed();
            if (p.trimmed() != p.trimmed().toLower())
                patterns << p.trimmed().toLower();
        }
        QString description = parts[i].trimmed();
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description = description.left(paren).trimmed();
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

namespace {

QStringList runFileDialog(const FileDialogRequest& request, QFileDialog::FileMode mode, int* filterIndex = nullptr)
{
    if (nobodyCanSeeWindows())
        return {};
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(mode);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtFileDialogService::nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (filterIndex)
        *filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return dialog.selectedFiles();
}

} // namespace

QString QtFileDialogService::choose(const FileDialogRequest& request)
{
    const QStringList files
        = runFileDialog(request, request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    return files.isEmpty() ? QString() : files.constFirst();
}

QStringList QtFileDialogService::chooseFiles(const FileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::ExistingFiles);
}

QString QtFileDialogService::chooseWithFilter(const FileDialogRequest& request, int& filterIndex)
{
    filterIndex = request.filterIndex;
    const QStringList files
        = runFileDialog(request, request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile, &filterIndex);
    if (filterIndex < 1)
        filterIndex = request.filterIndex;
    return files.isEmpty() ? QString() : files.constFirst();
}

QStringList printedRows(const QString& line, double width, const std::function<double(const QString&)>& advance)
{
    if (advance(line) <= width)
        return {line};
    qsizetype lead = 0;
    while (lead < line.size() && line[lead] == QLatin1Char(' '))
        ++lead;
    QString indent(lead + 4, QLatin1Char(' '));
    while (!indent.isEmpty() && advance(indent) > width / 2)
        indent.chop(1);

    QStringList rows;
    QString prefix;                          // the indent of a continuation row
    QString rest = line;
    qsizetype keepBlanks = lead;             // the line's own indent is no break
    while (advance(prefix + rest) > width) {
        // The most characters of `rest` that fit after the prefix.
        qsizetype low = 0;
        qsizetype high = rest.size();
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            if (advance(prefix + rest.left(middle)) <= width)
                low = middle;
            else
                high = middle - 1;
        }
        qsizetype cut = std::max<qsizetype>(low, 1);
        qsizetype next = cut;
        if (cut < rest.size() && rest[cut] == QLatin1Char(' ') && cut >= keepBlanks) {
            next = cut + 1;                  // the row ends right before a blank
        } else {
            const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), cut - 1);
            if (blank >= keepBlanks && blank > 0) {
                cut = blank;
                next = blank + 1;
            }
        }
        QString row = prefix + rest.left(cut);
        while (row.size() > prefix.size() && row.endsWith(QLatin1Char(' ')))
            row.chop(1);
        rows << row;
        rest = rest.mid(next);
        qsizetype blanks = 0;
        while (blanks < rest.size() && rest[blanks] == QLatin1Char(' '))
            ++blanks;
        rest.remove(0, blanks);
        prefix = indent;
        keepBlanks = 0;
        if (rest.isEmpty())
            return rows;
    }
    rows << prefix + rest;
    return rows;
}

namespace {

bool printOn(QPrinter& printer, const PrintJob& job, QString& errorText)
{
    printer.setCopyCount(job.settings.copies < 1 ? 1 : job.settings.copies);
    printer.setPageOrientation(job.settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) {
        errorText = QStringLiteral("The printer could not start the print job.");
        return false;
    }
    // The page is laid out in units of 1/1200 inch whatever the printer's
    // dots: the type's size is a whole number of dots, and whole dots of a
    // coarse printer (11 for 8 points at 96 dots per inch) would make every
    // line longer or shorter than the type asks.
    constexpr double UnitsPerInch = 1200;
    painter.scale(printer.logicalDpiX() / UnitsPerInch, printer.logicalDpiY() / UnitsPerInch);
    QFont font(job.fontFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, qRound(job.pointSize * UnitsPerInch / 72.0)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QSizeF page = printer.pageLayout().paintRect(QPageLayout::Inch).size() * UnitsPerInch;
    qreal y = 0;
    if (!job.picture.isNull() && !job.pictureSize.isEmpty()) {
        // The drawing at the top left in its own size, or smaller to fit
        // the page; the text begins below it after one empty line.
        const QRect bounds = job.picture.boundingRect();
        QSizeF target = job.pictureSize * (UnitsPerInch / 72.0);
        if (target.width() > page.width() || target.height() > page.height())
            target.scale(page, Qt::KeepAspectRatio);
        // drawPicture already multiplies the picture's dots by the ratio of
        // the printer's dots per inch to the picture's (12.5 for a picture
        // of 96 on a printer of 1200), on top of the painter's scale: the
        // scale here only makes up the rest to the target.
        const double playedX = std::max(1, bounds.width()) * double(printer.logicalDpiX()) / job.picture.logicalDpiX();
        const double playedY = std::max(1, bounds.height()) * double(printer.logicalDpiY()) / job.picture.logicalDpiY();
        painter.save();
        painter.scale(target.width() / playedX, target.height() / playedY);
        painter.drawPicture(-bounds.topLeft(), job.picture);
        painter.restore();
        y = target.height();
        if (!job.text.isEmpty())
            y += metrics.lineSpacing();
    }
    QString text = job.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.isEmpty() && !job.picture.isNull() ? QStringList()
                                                                       : text.split(QLatin1Char('\n'));
    // A line wider than the page goes on over further rows.
    const auto advance = [&metrics](const QString& t) { return metrics.horizontalAdvance(t); };
    for (const QString& line : lines) {
        for (const QString& row : printedRows(line, page.width(), advance)) {
            if (y + metrics.height() > page.height() && y > 0) {
                if (!printer.newPage()) {
                    errorText = QStringLiteral("The printer could not start a new page.");
                    painter.end();
                    return false;
                }
                y = 0;
            }
            painter.drawText(QPointF(0, y + metrics.ascent()), row);
            y += metrics.lineSpacing();
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        errorText = QStringLiteral("The print job failed.");
        return false;
    }
    return true;
}

} // namespace

bool QtPrinterService::setup(const QString& title, PrintSettings& settings, QString& errorText)
{
    if (nobodyCanSeeWindows()) {
        errorText = QStringLiteral("Cancel was selected.");
        return false;
    }
    QPrinter printer;
    printer.setCopyCount(settings.copies);
    printer.setPageOrientation(settings.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (dialog.exec() != QDialog::Accepted) {
        errorText = QStringLiteral("Cancel was selected.");
        return false;
    }
    settings = chosenSettings(printer);
    return true;
}

PrintSettings QtPrinterService::chosenSettings(const QPrinter& printer)
{
    PrintSettings settings;
    settings.copies = printer.copyCount();
    settings.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        settings.outputFile = printer.outputFileName();
    else
        settings.printerName = printer.printerName();
    return settings;
}

bool QtPrinterService::canPrint(const PrintSettings& settings, QString& errorText)
{
    if (m_pdfPath.isEmpty() && settings.outputFile.isEmpty() && QPrinterInfo::availablePrinters().isEmpty()) {
        errorText = QStringLiteral("No printer is installed.");
        return false;
    }
    return true;
}

bool QtPrinterService::print(const PrintJob& job, QString& errorText)
{
    if (!canPrint(job.settings, errorText))
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (m_resolution > 0)
        printer.setResolution(m_resolution);
    const QString pdf = m_pdfPath.isEmpty() ? job.settings.outputFile : m_pdfPath;
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    } else if (!job.settings.printerName.isEmpty()) {
        printer.setPrinterName(job.settings.printerName);
    }
    return printOn(printer, job, errorText);
}

QString QtClipboardService::text()
{
    return QGuiApplication::clipboard()->text();
}

void QtClipboardService::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QImage QtClipboardService::image()
{
    return QGuiApplication::clipboard()->image();
}

void QtClipboardService::setImage(const QImage& image)
{
    QGuiApplication::clipboard()->setImage(image);
}

void QtClipboardService::clear()
{
    QGuiApplication::clipboard()->clear();
}

EditorEnvironment EditorEnvironment::current()
{
    return {qEnvironmentVariable("VISUAL"), qEnvironmentVariable("EDITOR"),
            [](const QString& name) { return QStandardPaths::findExecutable(name); }};
}

namespace {

// A variable's command split into an installed program and its arguments.
std::optional<EditorCommand> installedCommand(const QString& variable, const EditorEnvironment& environment)
{
    QStringList words = QProcess::splitCommand(variable.trimmed());
    if (words.isEmpty())
        return std::nullopt;
    const QString program = environment.findExecutable(words.takeFirst());
    if (program.isEmpty())
        return std::nullopt;
    return EditorCommand{program, words};
}

} // namespace

std::optional<EditorCommand> chooseEditor(const QString& path, const EditorEnvironment& environment)
{
    if (auto visual = installedCommand(environment.visual, environment)) {
        visual->arguments << path;
        return visual;
    }
    const QString opener = environment.findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return EditorCommand{opener, {path}};
    if (auto editor = installedCommand(environment.editor, environment)) {
        for (const QString& name : terminalPrograms()) {
            const QString terminal = environment.findExecutable(name);
            if (terminal.isEmpty())
                continue;
            // "-e" takes the rest of the line as the program and its arguments.
            return EditorCommand{terminal, QStringList{QStringLiteral("-e"), editor->program}
                                               + editor->arguments + QStringList{path}};
        }
    }
    return std::nullopt;
}

QString DesktopLauncherService::failureOf(const QString& program, bool crashed, int exitCode)
{
    const QString name = QFileInfo(program).fileName();
    if (crashed)
        return QStringLiteral("%1 ended abnormally.").arg(name);
    if (exitCode == 0)
        return QString();
    if (name == QLatin1String("xdg-open")) {
        switch (exitCode) {
        case 2: return QStringLiteral("the desktop's opener did not find it.");
        case 3: return QStringLiteral("no program to open files of its type was found.");
        case 4: return QStringLiteral("the program that opens files of its type failed.");
        default: break;
        }
    }
    return QStringLiteral("%1 ended with status %2.").arg(name).arg(exitCode);
}

void DesktopLauncherService::start(const EditorCommand& command, const Failure& failed)
{
    // No parent: the program may go on after KVE's windows close, and only
    // deleting its QProcess would end it.
    auto* process = new QProcess();
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        failed(QStringLiteral("%1 could not be started (%2).")
                   .arg(QFileInfo(process->program()).fileName(), process->errorString()));
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int exitCode, QProcess::ExitStatus status) {
                         const QString failure
                             = failureOf(process->program(), status == QProcess::CrashExit, exitCode);
                         if (!failure.isEmpty())
                             failed(failure);
                         process->deleteLater();
                     });
    process->start();
}

void DesktopLauncherService::editFile(const QString& path, const Failure& failed)
{
    if (nobodyCanSeeWindows()) {
        failed(QStringLiteral("there is no display to show an editor on."));
        return;
    }
    const std::optional<EditorCommand> command = chooseEditor(path, EditorEnvironment::current());
    if (!command) {
        failed(QStringLiteral("no editor was found. Set VISUAL to a text editor, or install xdg-utils, or a "
                              "terminal emulator for the editor in EDITOR."));
        return;
    }
    start(*command, failed);
}

void DesktopLauncherService::openDocument(const QString& path, const Failure& failed)
{
    if (nobodyCanSeeWindows()) {
        failed(QStringLiteral("there is no display to show it on."));
        return;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        failed(QStringLiteral("the desktop's opener xdg-open is not installed (package xdg-utils)."));
        return;
    }
    start({opener, {path}}, failed);
}
