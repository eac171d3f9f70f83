// Every caption of every window in full: the text of each button, check
// box and radio button, with its picture, fits inside the control as the
// style draws it, at 96 dots per inch in the default font. The windows are
// built as the user meets them, each page of the paged windows shown.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/histogram.hpp"
#include "core/program_state.hpp"
#include "core/xy_plot.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_email.hpp"
#include "ui/frm_graph.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/frm_plot.hpp"
#include "ui/frm_rnd.hpp"
#include "ui/frm_splash.hpp"
#include "ui/frm_stat_opt.hpp"
#include "ui/mail_settings_dialog.hpp"

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Where a caption does not fit: the window, the control, its text, the
// pixels it needs and the pixels it has.
QStringList clippedCaptions(QWidget* window)
{
    QStringList clipped;
    const QString windowName = window->objectName();
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        QString text = button->text();
        if (text.isEmpty() || !button->isVisibleTo(window))
            continue;
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const QFontMetrics metrics(button->font());
        const QStyle* style = button->style();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        int needed = metrics.horizontalAdvance(text);
        int available = 0;
        if (button->property("pictureAboveCaption").toBool()) {
            // A picture button with its caption under the picture: the wider
            // of the two, and both one above the other, inside the frame.
            const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
            needed = std::max(needed, button->iconSize().width()) + frame;
            available = button->width();
            const int high = button->iconSize().height() + metrics.height() + frame;
            if (high > button->height())
                clipped << QStringLiteral("%1/%2 \"%3\": needs %4 px high, has %5")
                               .arg(windowName, button->objectName(), button->text())
                               .arg(high)
                               .arg(button->height());
        } else if (auto* push = qobject_cast<QPushButton*>(button)) {
            // The picture and the text side by side within the frame (and
            // the default button's ring), with the style's button margin
            // (half on either side), as the style sizes a button for them.
            if (push->autoDefault())
                option.features |= QStyleOptionButton::AutoDefaultButton;
            if (push->isDefault())
                option.features |= QStyleOptionButton::DefaultButton;
            if (!button->icon().isNull())
                needed += button->iconSize().width() + 4;
            needed += style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
            available = style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
        } else {
            const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
            // The text beside the tick box.
            available = style->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                                              &option, button)
                            .width();
        }
        if (needed > available)
            clipped << QStringLiteral("%1/%2 \"%3\": needs %4 px, has %5")
                           .arg(windowName, button->objectName(), button->text())
                           .arg(needed)
                           .arg(available);
        // A control that grew stays inside its window.
        const QRect inWindow(button->mapTo(window, QPoint(0, 0)), button->size());
        if (!window->rect().contains(inWindow))
            clipped << QStringLiteral("%1/%2 \"%3\": reaches out of the window")
                           .arg(windowName, button->objectName(), button->text());
    }
    // Labels: a one-line text within the label's width, a wrapped one
    // within its height.
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisibleTo(window) || label->textFormat() == Qt::RichText
            || !label->pixmap().isNull())
            continue;
        const QRect room = label->contentsRect();
        const QSize needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                               : label->fontMetrics().size(Qt::TextShowMnemonic, label->text());
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped << QStringLiteral("%1/%2 \"%3\": needs %4 x %5 px, has %6 x %7")
                           .arg(windowName, label->objectName(), label->text().left(40))
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(room.width())
                           .arg(room.height());
    }
    return clipped;
}

class CaptionsFit : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        platform = std::make_unique<ScriptedPlatform>(dir.path());
        programState().DocumentsFolder = dir.path();
    }
    void TearDown() override
    {
        deleteTopLevelWindows();
        platform.reset();
    }
    // Shows a window at its own size and collects what is cut.
    void check(QWidget* window)
    {
        window->show();
        settle();
        clipped << clippedCaptions(window);
    }

    QTemporaryDir dir;
    std::unique_ptr<ScriptedPlatform> platform;
    QStringList clipped;
};

} // namespace

TEST_F(CaptionsFit, EveryWindowAtItsOwnSize)
{
    ASSERT_EQ(QApplication::primaryScreen()->logicalDotsPerInch(), 96);

    frmMain main;
    for (int page = 0; page < 5; ++page) {
        main.findChild<QPushButton*>(QStringLiteral("CheckButton_%1").arg(page))->click();
        check(&main);
    }

    XYPlot xy;
    xy.PlotData = PlotMatrix(4, 4);
    for (int r = 1; r <= 3; ++r) {
        xy.PlotData.set(r, 2, r);
        xy.PlotData.set(r, 3, r * 2.0);
    }
    xy.n = 3;
    xy.Cols = 3;
    xy.TitleText = QStringLiteral("Scatter");
    check(frmMain::CreateXYPlot(xy));
    HistogramPlot histogram;
    histogram.x = {1, 2, 3, 4, 5};
    histogram.y = {2, 3, 4, 5, 6};
    histogram.Bins = 3;
    check(frmMain::CreateHistogramPlot(histogram));
    check(frmStatOpt::instance());

    check(new frmInfo());
    check(new frmGraph());
    frmCompare* compare = frmCompare::instance();
    for (int page = 0; page < 3; ++page) {
        compare->findChild<QPushButton*>(QStringLiteral("Check1_%1").arg(page))->click();
        check(compare);
    }
    check(&frmRND::showFor(main));
    check(new frmAbout());
    check(new frmSplash());
    check(frmMAPI::instance());
    check(new frmeMail(frmMAPI::instance()));
    check(new MailSettingsDialog(frmMAPI::instance()));

    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
}
