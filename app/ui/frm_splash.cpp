#include "ui/frm_splash.hpp"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/system_info.hpp"
#include "ui/twips.hpp"

namespace {
QPointer<frmSplash> g_current;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QString& tooltip,
                  int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    if (!tooltip.isEmpty())
        label->setToolTip(tooltip);
    label->setGeometry(twips(left), twips(top), twips(width), twips(height));
    return label;
}
} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    g_current = this;
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ProgramName());
    resize(twips(9100), twips(5450));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setGeometry(0, 0, twips(8865), twips(5235));

    Picture3 = makeLabel(Frame1, "Picture3", ProgramName(), ProgramName(),
                         240, 240, 4000, 1300);
    QFont big = Picture3->font();
    big.setPointSize(36);
    big.setBold(true);
    Picture3->setFont(big);
    Picture1 = makeLabel(Frame1, "Picture1", QStringLiteral("Comparison"),
                         QStringLiteral("Comparison ..."), 240, 1800, 1900, 600);
    Picture2 = makeLabel(Frame1, "Picture2", QStringLiteral("Evaluation"),
                         QStringLiteral("Evaluation ..."), 2280, 1800, 1900, 600);
    lblVersion = makeLabel(Frame1, "lblVersion", QString(), QString(), 4450, 1200, 4250, 400);
    Label2 = makeLabel(Frame1, "Label2", QStringLiteral("Platform"), QStringLiteral("Plataform"),
                       4450, 1800, 4250, 1095);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer = makeLabel(Frame1, "lblDisclaimer", QString(), QStringLiteral("Disclaimer"),
                              240, 3240, 8385, 1380);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = lblDisclaimer->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    lblDisclaimer->setFont(small);

    ProgressBar1 = new QProgressBar(Frame1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(twips(240), twips(4920), twips(8385), twips(150));

    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Picture1, Picture2, Picture3, Label2,
                                                      lblVersion, lblDisclaimer, ProgressBar1})
        w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);

    Form_Load();
    Timer1->start();
}

frmSplash::~frmSplash() = default;

frmSplash* frmSplash::current()
{
    return g_current.data();
}

void frmSplash::Form_Load()
{
    const QString platform = PlatformText(querySystemVersion());
    if (!platform.isEmpty()) {
        QString shown = platform;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        Label2->setText(shown);
    }
    lblVersion->setText(QStringLiteral("Version ") + ProgramVersionText());
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    // The frame in the middle of the window, the window in the middle of
    // the screen, both by the window's size before it is given its own.
    Frame1->move(twips((toTwips(width()) - toTwips(Frame1->width())) / 2 - 20),
                 twips((toTwips(height()) - toTwips(Frame1->height())) / 2 - 60));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }

    lblDisclaimer->setText(programState().DisclaimerText);

    m_countdown.start(Platform::clock().currentTime());
    ProgressBar1->setRange(0, SplashCountdown::Length);
    ProgressBar1->setValue(SplashCountdown::Length);
    ProgressBar1->setGeometry(ProgressBar1->x(), twips(4920), ProgressBar1->width(), twips(150));

    if (programState().BatchMode)
        setCursor(Qt::WaitCursor);

    resize(twips(9100), twips(5450));
}

void frmSplash::Timer1_Timer()
{
    const QTime now = Platform::clock().currentTime();
    ProgressBar1->setValue(m_countdown.barValue(now));
    if (m_countdown.expired(now)) {
        Timer1->stop();
        close();
    }
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ProgressBar1) {
            // Ten more seconds.
            m_countdown.start(Platform::clock().currentTime());
            ProgressBar1->setValue(m_countdown.barValue(m_countdown.startTime()));
        } else {
            close();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    close();
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    close();
}
