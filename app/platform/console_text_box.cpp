#include "platform/console_text_box.hpp"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int ConsoleColumns = 80;
constexpr int FewestRows = 6;

QStyle::StandardPixmap pixmapOf(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QStyle::SP_MessageBoxCritical;
    case MsgIcon::Question: return QStyle::SP_MessageBoxQuestion;
    case MsgIcon::Exclamation: return QStyle::SP_MessageBoxWarning;
    case MsgIcon::Information: break;
    case MsgIcon::None: break;
    }
    return QStyle::SP_MessageBoxInformation;
}

QRect freeAreaFor(const QWidget* widget)
{
    const QScreen* screen = widget->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

ConsoleTextBox::ConsoleTextBox(const QString& title, const QString& text, MsgIcon icon, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConsoleTextBox"));
    setWindowTitle(title);
    setModal(true);

    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (lines.endsWith(QLatin1Char('\n')))
        lines.chop(1);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ConsoleText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(fixed).fixedPitch()) {
        fixed = QFont(QStringLiteral("Courier New"));
        fixed.setStyleHint(QFont::TypeWriter);
    }
    m_text->setFont(fixed);
    m_text->setPlainText(lines);

    auto* picture = new QLabel(this);
    if (icon != MsgIcon::None) {
        const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        picture->setPixmap(style()->standardIcon(pixmapOf(icon), nullptr, this).pixmap(side, side));
    } else {
        picture->hide();
    }
    picture->setAlignment(Qt::AlignTop);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setObjectName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(m_text, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row, 1);
    column->addWidget(buttons);

    // The text area's size: its longest line (at most a console's width)
    // by its lines, within the screen's free area less room for the frame.
    const QFontMetrics metrics(m_text->font());
    qsizetype longest = 0;
    qsizetype rows = 0;
    for (qsizetype start = 0; start <= lines.size();) {
        qsizetype end = lines.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = lines.size();
        longest = std::max(longest, end - start);
        ++rows;
        start = end + 1;
    }
    const int columns = int(std::clamp<qsizetype>(longest, 40, ConsoleColumns));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int frame = 2 * m_text->frameWidth() + 2 * int(m_text->document()->documentMargin()) + 4;
    const QSize wanted(metrics.horizontalAdvance(QString(columns, QLatin1Char('M'))) + frame + scrollBar,
                       int(std::max<qsizetype>(rows, FewestRows)) * metrics.lineSpacing() + frame + scrollBar);
    m_text->setMinimumSize(std::min(wanted.width(), 200), std::min(wanted.height(), 100));

    const QMargins margins = column->contentsMargins();
    const QSize around(margins.left() + margins.right()
                           + (picture->isHidden() ? 0 : picture->sizeHint().width() + row->spacing()),
                       margins.top() + margins.bottom() + column->spacing() + buttons->sizeHint().height());
    // Room for the window's frame and title bar, which the box does not know yet.
    const QRect area = freeAreaFor(this);
    const QSize decoration(16, 48);
    resize(std::min(wanted.width() + around.width(), area.width() - decoration.width()),
           std::min(wanted.height() + around.height(), area.height() - decoration.height()));
}

void ConsoleTextBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Whole on the screen: the frame's size counted, centred on the free area.
    const QRect area = freeAreaFor(this);
    QSize outer = frameGeometry().size();
    if (outer.width() > area.width() || outer.height() > area.height()) {
        const QSize frameExtra = outer - size();
        resize(std::min(width(), area.width() - frameExtra.width()),
               std::min(height(), area.height() - frameExtra.height()));
        outer = frameGeometry().size();
    }
    move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}
