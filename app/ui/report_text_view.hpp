#pragma once
// The text box of a results window. A report of a million rows has two
// million lines: the box keeps the report's text as it came, in UTF-8 with
// CR LF line ends, with an index of where its lines start, and paints only
// the lines on the screen, so it opens at once, scrolls to any line, and
// holds no more than the text and the index. Lines are selected with the mouse (Shift
// extends, a double click takes a line's word, Ctrl+A takes all) and copied
// with Ctrl+C or the context menu.
//
// The box is read-only. Allowing edits (setReadOnly(false)) puts an editor
// over it holding the text, scrolled to the same line; from then on the
// editor's text is the box's text.

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QString>

#include <vector>

class QPlainTextEdit;

class ReportTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportTextView(QWidget* parent = nullptr);

    // The text; its lines end in CR LF from now on, whether they ended in
    // CR LF, LF or CR.
    void setText(const QString& text);
    // The same in UTF-8; a text whose lines end in CR LF (every report) is
    // kept as it is, not copied.
    void setUtf8(const QByteArray& utf8);
    // The text as set, or as the editor holds it with CR LF line ends.
    QString text() const;
    QByteArray utf8() const;
    void clear();

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // The editor, once edits have been allowed; nullptr before.
    QPlainTextEdit* editor() const { return m_editor; }

    // Line count (a text ending in a line break has an empty last line, as
    // an editor shows it) and the first line on the screen.
    int lineCount() const { return static_cast<int>(m_lineStarts.size()); }
    int firstVisibleLine() const;
    // The selected text, as it stands in the text (CR LF line ends).
    QString selectedText() const;
    void selectAll();
    // Copies the selection to the clipboard; nothing when none.
    void copy();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // A place in the text: line and column (characters, UTF-16 units, from
    // the line's start).
    struct Position {
        int line = 0;
        int column = 0;
        bool operator==(const Position&) const = default;
    };

    // The bytes of a line without its line break, and its characters.
    QByteArrayView lineBytes(int line) const;
    QString lineText(int line) const;
    qsizetype offsetOf(Position p) const;
    Position positionAt(const QPoint& viewportPoint) const;
    bool hasSelection() const { return !(m_anchor == m_cursor); }
    void indexLines();
    void updateMetrics();
    void updateScrollBars();
    void showEditor();

    QByteArray m_text;                   // UTF-8
    // Where each line starts in m_text; the line ends before the next start
    // (less its line break).
    std::vector<qsizetype> m_lineStarts;
    int m_longestLine = 0;               // in bytes, at least its characters
    int m_lineHeight = 1;
    qreal m_charWidth = 1;               // the font is a fixed-pitch one
    int m_ascent = 0;
    Position m_anchor, m_cursor;         // the selection runs between them
    bool m_readOnly = true;
    QPlainTextEdit* m_editor = nullptr;
};
