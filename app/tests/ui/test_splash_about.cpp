// The splash screen on a clock set by hand, and the About box's buttons.
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "platform/system_info.hpp"
#include "support/scripted_platform_services.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_splash.hpp"

namespace {

void click(QWidget* w)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Runs deferred deletes, so that a closed splash screen is gone.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

struct SplashFixture : ::testing::Test {
    QTemporaryDir pdf;
    ScriptedPlatform platform{pdf.path()};
    void SetUp() override
    {
        resetProgramState();
        programState().DisclaimerText = defaultDisclaimerText();
        platform.clock.now = QTime(12, 0, 0);
    }
    void TearDown() override { resetProgramState(); }
};

} // namespace

TEST_F(SplashFixture, ShowsVersionPlatformAndDisclaimerOnTop)
{
    QPointer<frmSplash> splash = new frmSplash();
    splash->show();
    EXPECT_EQ(frmSplash::current(), splash.data());
    EXPECT_EQ(splash->findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 3.1.0"));
    EXPECT_TRUE(splash->findChild<QLabel*>("Label2")->text().startsWith(QStringLiteral("Platform: ")));
    EXPECT_EQ(splash->findChild<QLabel*>("lblDisclaimer")->text(), defaultDisclaimerText());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_NE(splash->cursor().shape(), Qt::WaitCursor);
    splash->close();
    settle();
    EXPECT_TRUE(splash.isNull());
    EXPECT_EQ(frmSplash::current(), nullptr);

    // In a command-line run the pointer is the hourglass.
    programState().BatchMode = true;
    QPointer<frmSplash> batch = new frmSplash();
    EXPECT_EQ(batch->cursor().shape(), Qt::WaitCursor);
    batch->close();
    settle();
}

TEST_F(SplashFixture, CountsDownTenSecondsAndCloses)
{
    QPointer<frmSplash> splash = new frmSplash();
    splash->show();
    QList<int> bar;
    for (int tick = 1; tick <= 20 && splash; ++tick) {
        platform.clock.now = QTime(12, 0, 0).addMSecs(tick * 500);
        splash->Timer1_Timer();
        if (splash)
            bar << splash->progressBar()->value();
        settle();
    }
    // Ticks every half second: each value twice, 0 at the closing tick.
    EXPECT_EQ(bar, (QList<int>{10, 9, 9, 8, 8, 7, 7, 6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 0}));
    EXPECT_TRUE(splash.isNull());
}

TEST_F(SplashFixture, ClickOnTheBarRestartsOtherClicksAndKeysClose)
{
    QPointer<frmSplash> splash = new frmSplash();
    splash->show();
    platform.clock.now = QTime(12, 0, 8);
    click(splash->progressBar());
    EXPECT_EQ(splash->progressBar()->value(), 10);
    platform.clock.now = QTime(12, 0, 17);
    splash->Timer1_Timer();
    settle();
    ASSERT_FALSE(splash.isNull());
    EXPECT_EQ(splash->progressBar()->value(), 1);
    platform.clock.now = QTime(12, 0, 18);
    splash->Timer1_Timer();
    settle();
    EXPECT_TRUE(splash.isNull());

    for (const char* name : {"Frame1", "Picture1", "Picture2", "Picture3", "Label2", "lblVersion",
                             "lblDisclaimer"}) {
        QPointer<frmSplash> s = new frmSplash();
        s->show();
        click(s->findChild<QWidget*>(QLatin1String(name)));
        settle();
        EXPECT_TRUE(s.isNull()) << name;
    }

    QPointer<frmSplash> keyed = new frmSplash();
    keyed->show();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(keyed.data(), &key);
    settle();
    EXPECT_TRUE(keyed.isNull());
}

namespace {
class FakeDesktop : public DesktopServices {
public:
    bool startDetached(const QString& program) override { started << program; return startWorks; }
    QString findExecutable(const QString& name) override
    {
        return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    }
    QStringList started, installed;
    bool startWorks = true;
};
} // namespace

TEST_F(SplashFixture, AboutBoxTextsAndButtons)
{
    FakeDesktop desktop;
    setDesktopServices(&desktop);
    frmAbout about;
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Version 3.1.0"));
    EXPECT_EQ(about.findChild<QLabel*>("lblDescription")->text(),
              QStringLiteral("KVE was designed to assist in determining mathematical model adequacy"));
    EXPECT_EQ(about.findChild<QPlainTextEdit*>("lblDisclaimer")->toPlainText(), defaultDisclaimerText());

    about.findChild<QPushButton*>("Command1")->click();
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(platform.messages.asked[0].text,
              QStringLiteral("/F/folder/name.KVE = KVE dataset to open and evaluate\r\n"
                             "/folder/name.KVE (without a switch) = the same as /F; a .QCX file: comparison list (/C)\r\n"
                             "/G = show plots\r\n/R = perform residual analysis\r\n"
                             "/P = print results\r\n/S = save results as the next free NotesNNNN.TXT (in the /L folder, else the dataset's)\r\n"
                             "/O = close the results window (with /S: open the saved file in the editor)\r\n"
                             "/L/folder/ = folder to save results in\r\n"
                             "/X = quit when done (on failure: exit status 1, the reason on stderr)\r\n"
                             "A path with blanks: quote the whole switch, \"/F/home/me/my data/a.KVE\"\r\n"));
    EXPECT_EQ(platform.messages.asked[0].icon, MsgIcon::Information);

    // Web and Help hand the manual beside the program (the build puts it
    // there) to the desktop's opener.
    about.findChild<QPushButton*>("Command2")->click();
    about.findChild<QPushButton*>("Command3")->click();
    EXPECT_EQ(platform.launcher.documents, QStringList({ManualPath(), ManualPath()}));
    EXPECT_TRUE(QFileInfo(ManualPath()).isFile()) << ManualPath().toStdString();
    EXPECT_TRUE(QFileInfo(QFileInfo(QStringLiteral(KVE_BINARY)).absolutePath() + QStringLiteral("/KVE.html")).isFile());
    EXPECT_EQ(platform.messages.asked.size(), 1u);

    // Sysinfo without any tool: the message, nothing started.
    about.findChild<QPushButton*>("cmdSysInfo")->click();
    EXPECT_TRUE(desktop.started.isEmpty());
    ASSERT_EQ(platform.messages.asked.size(), 2u);
    EXPECT_EQ(platform.messages.asked[1].text, QStringLiteral("System Information is unavailable at this time"));
    EXPECT_EQ(platform.messages.asked[1].buttons, MsgButtons::Ok);

    // With one installed: started, no message; a start that fails: the message.
    desktop.installed << QStringLiteral("hardinfo");
    about.StartSysInfo();
    EXPECT_EQ(desktop.started, QStringList{"/usr/bin/hardinfo"});
    EXPECT_EQ(platform.messages.asked.size(), 2u);
    desktop.startWorks = false;
    about.StartSysInfo();
    EXPECT_EQ(platform.messages.asked.size(), 3u);
    setDesktopServices(nullptr);
}

TEST_F(SplashFixture, AboutBoxOpensOnReturnAndShowsTheWholeNotice)
{
    frmAbout about;
    about.show();
    QApplication::setActiveWindow(&about);
    settle();
    EXPECT_EQ(QApplication::focusWidget(), about.findChild<QPushButton*>("cmdOK"));

    // The notice wraps at the box's width: nothing is cut off at the side,
    // and what is longer than the box scrolls.
    auto* notice = about.findChild<QPlainTextEdit*>("Text1");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->toPlainText(), frmAbout::legalNotice());
    EXPECT_TRUE(notice->toPlainText().startsWith(QStringLiteral("KVE ")));
    EXPECT_EQ(notice->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(notice->horizontalScrollBar()->maximum(), 0);
    EXPECT_NE(notice->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}
