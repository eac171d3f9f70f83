#include "ui/report_text_view.hpp"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <cstring>

#include "platform/platform_services.hpp"

namespace {

// The blank left of every line, in pixels.
constexpr int Margin = 4;

// `text` with every `from` as `to`: one pass, one allocation.
QString withLineBreaks(const QString& text, QStringView from, QStringView to)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = QStringView(text).indexOf(from, start);
        if (at < 0)
            break;
        out.append(QStringView(text).mid(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(QStringView(text).mid(start));
    return out;
}

// `utf8` with every line break as CR LF, as the program writes its texts: a
// lone LF or CR becomes CR LF. A text that has only CR LF (every report) is
// kept as it is, without a copy.
QByteArray withCrLf(const QByteArray& utf8)
{
    const char* const data = utf8.constData();
    const qsizetype size = utf8.size();
    const auto bare = [&](qsizetype i) {
        return (data[i] == '\n' && (i == 0 || data[i - 1] != '\r'))
               || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
    };
    qsizetype first = -1;
    for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\n', data + size - p))); ++p)
        if (bare(p - data)) {
            first = qsizetype(p - data);
            break;
        }
    for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\r', data + size - p))); ++p)
        if (bare(p - data)) {
            first = first < 0 ? qsizetype(p - data) : std::min<qsizetype>(first, p - data);
            break;
        }
    if (first < 0)
        return utf8;
    QByteArray out;
    out.reserve(size + size / 16);
    out.append(data, first);
    for (qsizetype i = first; i < size; ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            out += "\r\n";
            if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
        } else {
            out += data[i];
        }
    }
    return out;
}

} // namespace

ReportTextView::ReportTextView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    updateMetrics();
    indexLines();
}

void ReportTextView::setText(const QString& text)
{
    setUtf8(text.toUtf8());
}

void ReportTextView::setUtf8(const QByteArray& utf8)
{
    m_anchor = m_cursor = {};
    if (m_editor) {
        m_editor->setPlainText(withLineBreaks(QString::fromUtf8(utf8), u"\r\n", u"\n"));
        return;
    }
    m_text = withCrLf(utf8);
    indexLines();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

QString ReportTextView::text() const
{
    if (m_editor)
        return withLineBreaks(m_editor->toPlainText(), u"\n", u"\r\n");
    return QString::fromUtf8(m_text);
}

QByteArray ReportTextView::utf8() const
{
    return m_editor ? text().toUtf8() : m_text;
}

void ReportTextView::clear()
{
    setUtf8(QByteArray());
}

void ReportTextView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (!readOnly && !m_editor)
        showEditor();
    if (m_editor)
        m_editor->setReadOnly(readOnly);
}

void ReportTextView::showEditor()
{
    const int first = firstVisibleLine();
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("TxtInfoEditor"));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Set, not inherited: a colour scheme's style sheet on the editor would
    // otherwise give it the application's font.
    m_editor->setFont(font());
    m_editor->setHorizontalScrollBarPolicy(horizontalScrollBarPolicy());
    m_editor->setVerticalScrollBarPolicy(verticalScrollBarPolicy());
    m_editor->setPlainText(withLineBreaks(QString::fromUtf8(m_text), u"\r\n", u"\n"));
    m_editor->setGeometry(rect());
    m_editor->verticalScrollBar()->setValue(first);
    m_editor->show();
    m_editor->raise();
    if (hasFocus())
        m_editor->setFocus();
    // The editor holds the text from now on.
    m_text.clear();
    indexLines();
}

int ReportTextView::firstVisibleLine() const
{
    return m_editor ? m_editor->verticalScrollBar()->value() : verticalScrollBar()->value();
}

void ReportTextView::indexLines()
{
    m_lineStarts.clear();
    m_lineStarts.push_back(0);
    m_longestLine = 0;
    const QByteArrayView all(m_text);
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = all.indexOf('\n', start);
        const qsizetype end = at < 0 ? all.size() : at;
        const qsizetype length = end - start - (at > start && all[at - 1] == '\r' ? 1 : 0);
        m_longestLine = std::max(m_longestLine, static_cast<int>(std::min<qsizetype>(length, 1 << 20)));
        if (at < 0)
            break;
        start = at + 1;
        m_lineStarts.push_back(start);
    }
    updateScrollBars();
}

QByteArrayView ReportTextView::lineBytes(int line) const
{
    const std::size_t k = static_cast<std::size_t>(line);
    const qsizetype start = m_lineStarts[k];
    qsizetype end = m_text.size();
    if (k + 1 < m_lineStarts.size()) {
        end = m_lineStarts[k + 1] - 1;
        if (end > start && m_text[end - 1] == '\r')
            --end;
    }
    return QByteArrayView(m_text).sliced(start, end - start);
}

QString ReportTextView::lineText(int line) const
{
    return QString::fromUtf8(lineBytes(line));
}

qsizetype ReportTextView::offsetOf(Position p) const
{
    // The bytes of the line's characters before the column.
    const QString text = lineText(p.line);
    const qsizetype column = std::min<qsizetype>(p.column, text.size());
    return m_lineStarts[static_cast<std::size_t>(p.line)] + QStringView(text).left(column).toUtf8().size();
}

ReportTextView::Position ReportTextView::positionAt(const QPoint& point) const
{
    Position p;
    const int row = point.y() < 0 ? -1 - (-point.y() - 1) / m_lineHeight : point.y() / m_lineHeight;
    p.line = std::clamp(verticalScrollBar()->value() + row, 0, lineCount() - 1);
    const int x = point.x() + horizontalScrollBar()->value() - Margin;
    const qsizetype length = lineText(p.line).size();
    p.column = static_cast<int>(std::clamp<qsizetype>(qFloor(x / m_charWidth + 0.5), 0, length));
    return p;
}

QString ReportTextView::selectedText() const
{
    if (!hasSelection())
        return QString();
    const qsizetype a = offsetOf(m_anchor), b = offsetOf(m_cursor);
    return QString::fromUtf8(QByteArrayView(m_text).sliced(std::min(a, b), std::abs(b - a)));
}

void ReportTextView::selectAll()
{
    m_anchor = {};
    m_cursor = {lineCount() - 1, static_cast<int>(lineText(lineCount() - 1).size())};
    viewport()->update();
}

void ReportTextView::copy()
{
    if (hasSelection())
        Platform::clipboard().setText(selectedText());
}

void ReportTextView::updateMetrics()
{
    const QFontMetricsF fm(font());
    m_lineHeight = std::max(1, qCeil(fm.lineSpacing()));
    m_charWidth = std::max<qreal>(1, fm.horizontalAdvance(QLatin1Char('0')));
    m_ascent = qRound(fm.ascent());
    updateScrollBars();
}

void ReportTextView::updateScrollBars()
{
    const int visible = std::max(1, viewport()->height() / m_lineHeight);
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, lineCount() - visible));
    v->setPageStep(visible);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const qint64 width = qCeil(m_longestLine * m_charWidth) + 2 * Margin;
    h->setRange(0, static_cast<int>(std::clamp<qint64>(width - viewport()->width(), 0, 1 << 30)));
    h->setPageStep(viewport()->width());
    h->setSingleStep(qCeil(m_charWidth));
}

void ReportTextView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setFont(font());
    const QPalette& pal = palette();
    const int first = verticalScrollBar()->value();
    const int left = Margin - horizontalScrollBar()->value();
    const Position from = offsetOf(m_anchor) <= offsetOf(m_cursor) ? m_anchor : m_cursor;
    const Position to = from == m_anchor ? m_cursor : m_anchor;
    const int height = viewport()->height();
    for (int line = first, y = 0; line < lineCount() && y < height; ++line, y += m_lineHeight) {
        // A tab takes one place, as every character does.
        const QString text = lineText(line).replace(QLatin1Char('\t'), QLatin1Char(' '));
        const QPointF baseline(left, y + m_ascent);
        p.setPen(pal.color(QPalette::Text));
        p.drawText(baseline, text);
        if (!hasSelection() || line < from.line || line > to.line)
            continue;
        // The selected part: highlighted, its text drawn again over it.
        const int c0 = line == from.line ? std::min<int>(from.column, static_cast<int>(text.size())) : 0;
        const int c1 = line == to.line ? std::min<int>(to.column, static_cast<int>(text.size()))
                                       : static_cast<int>(text.size()) + 1;
        const QRectF band(left + c0 * m_charWidth, y, std::max(0, c1 - c0) * m_charWidth, m_lineHeight);
        p.fillRect(band, pal.color(QPalette::Highlight));
        p.save();
        p.setClipRect(band);
        p.setPen(pal.color(QPalette::HighlightedText));
        p.drawText(baseline, text);
        p.restore();
    }
}

void ReportTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (m_editor)
        m_editor->setGeometry(rect());
}

void ReportTextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        if (m_editor)
            m_editor->setFont(font());
        updateMetrics();
        viewport()->update();
    }
}

void ReportTextView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ReportTextView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
        horizontalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else if (event->matches(QKeySequence::MoveToStartOfLine)) {
        horizontalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfLine)) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ReportTextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Position at = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = at;
    m_cursor = at;
    viewport()->update();
}

void ReportTextView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging beyond the top or the bottom scrolls.
    if (point.y() < 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    m_cursor = positionAt(point);
    viewport()->update();
}

void ReportTextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The run of non-blank characters under the pointer.
    const Position at = positionAt(event->position().toPoint());
    const QString text = lineText(at.line);
    int begin = std::min<int>(at.column, static_cast<int>(text.size()));
    int end = begin;
    while (begin > 0 && !text[begin - 1].isSpace())
        --begin;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    m_anchor = {at.line, begin};
    m_cursor = {at.line, end};
    viewport()->update();
}

void ReportTextView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &ReportTextView::copy);
    copyAction->setEnabled(hasSelection());
    menu.addAction(tr("Select All"), this, &ReportTextView::selectAll);
    menu.exec(event->globalPos());
}
