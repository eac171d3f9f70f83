// The results window's text box: the text kept as it came, lines and their
// selection by mouse and keys, copying, the editor that takes over when
// edits are allowed, and a text of two million lines.
#include "window_fixture.hpp"

#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "ui/report_text_view.hpp"

namespace {

const QString Text = QStringLiteral("Heading\r\n=======\r\n  1.2345   -0.5\r\nlast line");

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(at), Qt::LeftButton, held, modifiers);
    QApplication::sendEvent(target, &e);
}

} // namespace

class ReportTextViewTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        // A window of its own; the fixture closes every window at the end.
        view = new ReportTextView();
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPointSize(9);
        view->setFont(font);
        view->resize(600, 300);
        view->setText(Text);
        view->show();
    }
    // The middle of character `column` of screen line `row`.
    QPoint at(int row, int column) const
    {
        const QFontMetricsF fm(view->font());
        const qreal w = fm.horizontalAdvance(QLatin1Char('0'));
        return QPoint(4 + qRound(column * w), qCeil(fm.lineSpacing()) * row + 2);
    }

    QPointer<ReportTextView> view;
};

TEST_F(ReportTextViewTest, KeepsTheTextAsItCame)
{
    EXPECT_EQ(view->text(), Text);
    EXPECT_EQ(view->lineCount(), 4);
    // UTF-8 is kept as it came, not copied: a report of a million rows is
    // hundreds of megabytes. Characters beyond ASCII are characters.
    const QByteArray utf8 = QStringLiteral("a ± b\r\nr² = 1").toUtf8();
    view->setUtf8(utf8);
    EXPECT_EQ(view->utf8().constData(), utf8.constData());
    EXPECT_EQ(view->text(), QStringLiteral("a ± b\r\nr² = 1"));
    view->selectAll();
    EXPECT_EQ(view->selectedText(), QStringLiteral("a ± b\r\nr² = 1"));
    mouse(view->viewport(), QEvent::MouseButtonPress, at(1, 1));
    mouse(view->viewport(), QEvent::MouseMove, at(1, 4));
    EXPECT_EQ(view->selectedText(), QStringLiteral("² ="));
    // Lines end in CR LF, as everything the program writes: a text with LF
    // or CR line ends (a file of R's) is saved so.
    view->setText(QStringLiteral("a\nb\r\n"));
    EXPECT_EQ(view->lineCount(), 3);   // the empty line after the last break, as an editor shows it
    EXPECT_EQ(view->text(), QStringLiteral("a\r\nb\r\n"));
    view->setText(QStringLiteral("\nx\ry\r\r\nz\r"));
    EXPECT_EQ(view->text(), QStringLiteral("\r\nx\r\ny\r\n\r\nz\r\n"));
    EXPECT_EQ(view->lineCount(), 6);
    view->clear();
    EXPECT_EQ(view->text(), QString());
    EXPECT_EQ(view->lineCount(), 1);
}

TEST_F(ReportTextViewTest, SelectsWithTheMouseAndCopies)
{
    QWidget* port = view->viewport();
    // From the "1" of line 3 to the "H" of line 1 (backwards); Shift
    // extends from the same anchor.
    mouse(port, QEvent::MouseButtonPress, at(2, 2));
    mouse(port, QEvent::MouseMove, at(0, 1));
    mouse(port, QEvent::MouseButtonRelease, at(0, 1));
    EXPECT_EQ(view->selectedText(), QStringLiteral("eading\r\n=======\r\n  "));
    mouse(port, QEvent::MouseButtonPress, at(2, 8), Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral("1.2345"));
    // Beyond the end of a line: up to its end, never into the next one.
    mouse(port, QEvent::MouseButtonPress, at(1, 3));
    mouse(port, QEvent::MouseMove, at(1, 40));
    EXPECT_EQ(view->selectedText(), QStringLiteral("===="));

    // A double click takes the number under the pointer.
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(at(2, 11)), QPointF(at(2, 11)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &twice);
    EXPECT_EQ(view->selectedText(), QStringLiteral("-0.5"));

    key(view, Qt::Key_C, QString(), Qt::ControlModifier);
    EXPECT_EQ(platform->clipboard.content, QStringLiteral("-0.5"));
    key(view, Qt::Key_A, QString(), Qt::ControlModifier);
    view->copy();
    EXPECT_EQ(platform->clipboard.content, Text);
}

TEST_F(ReportTextViewTest, AllowingEditsHandsTheTextToAnEditor)
{
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_EQ(view->editor(), nullptr);
    view->setReadOnly(false);
    QPlainTextEdit* editor = view->editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isReadOnly());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Heading\n=======\n  1.2345   -0.5\nlast line"));
    EXPECT_EQ(editor->font(), view->font());

    // What the user typed is the text from now on, with CR LF line ends.
    editor->moveCursor(QTextCursor::End);
    editor->insertPlainText(QStringLiteral("\nadded"));
    EXPECT_EQ(view->text(), Text + QStringLiteral("\r\nadded"));
    view->setReadOnly(true);
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_EQ(view->text(), Text + QStringLiteral("\r\nadded"));

    QFont bold = view->font();
    bold.setBold(true);
    view->setFont(bold);
    EXPECT_TRUE(editor->font().bold());
    view->clear();
    EXPECT_TRUE(view->text().isEmpty());
}

TEST_F(ReportTextViewTest, TwoMillionLinesScrollToTheLast)
{
    QString text;
    const int lines = 2000000;
    text.reserve(qsizetype(lines) * 24);
    for (int i = 1; i <= lines; ++i)
        text += QStringLiteral("%1    0.1234   -5.6789\r\n").arg(i, 7);
    text += QStringLiteral("end");
    view->setText(text);
    EXPECT_EQ(view->lineCount(), lines + 1);
    QScrollBar* bar = view->verticalScrollBar();
    key(view, Qt::Key_End, QString(), Qt::ControlModifier);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->maximum() + bar->pageStep(), lines + 1);
    EXPECT_FALSE(view->viewport()->grab().isNull());

    // The last line is selectable where it stands on the screen.
    QWidget* port = view->viewport();
    const int lastRow = lines - bar->value();
    mouse(port, QEvent::MouseButtonPress, at(lastRow, 0));
    mouse(port, QEvent::MouseMove, at(lastRow, 3));
    EXPECT_EQ(view->selectedText(), QStringLiteral("end"));
    key(view, Qt::Key_Home, QString(), Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
}
