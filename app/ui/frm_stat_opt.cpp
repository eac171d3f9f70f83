#include "ui/frm_stat_opt.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cmath>

#include "core/data_matrix.hpp"
#include "platform/platform_services.hpp"
#include "platform/qt_platform_services.hpp"
#include "ui/caption_fit.hpp"
#include "ui/picture_button.hpp"
#include "ui/twips.hpp"

namespace {

QPointer<frmStatOpt>& loaded()
{
    static QPointer<frmStatOpt> window;
    return window;
}

const QColor BackColour(224, 224, 224);

} // namespace

frmStatOpt* frmStatOpt::instance()
{
    if (!loaded())
        loaded() = new frmStatOpt();
    return loaded();
}

bool frmStatOpt::isLoaded()
{
    return !loaded().isNull();
}

std::function<void(frmStatOpt&)>& frmStatOpt::modalScript()
{
    static std::function<void(frmStatOpt&)> script;
    return script;
}

frmStatOpt::frmStatOpt()
    : QDialog(nullptr)
{
    setObjectName(QStringLiteral("frmStatOpt"));
    setWindowTitle(QStringLiteral("Plot Statistics"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackColour);
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(twips(2850), twips(1905));

    const struct {
        const char* caption;
        int left;
        int top;
        int width;
    } boxes[5] = {
        {"Show mean", 120, 240, 1250}, {"Show SD", 1440, 240, 1250}, {"Show min", 120, 600, 1250},
        {"Show max", 1440, 600, 1250}, {"Show trend", 120, 960, 1245},
    };
    for (int i = 0; i < 5; ++i) {
        auto* box = new QCheckBox(QLatin1String(boxes[i].caption), this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setGeometry(twips(boxes[i].left), twips(boxes[i].top), twips(boxes[i].width), twips(255));
        widenToCaption(box);
        m_check1[static_cast<std::size_t>(i)] = box;
    }
    // The second column starts clear of the widest box of the first.
    const int gap = twips(60);
    const int second = std::max({m_check1[1]->x(), m_check1[0]->x() + m_check1[0]->width() + gap,
                                 m_check1[2]->x() + m_check1[2]->width() + gap});
    // It ends at the window's margin, unless its captions need more; then
    // the window grows by as much.
    const int margin = twips(120);
    int right = width();
    for (QCheckBox* box : {m_check1[1], m_check1[3]}) {
        box->setGeometry(second, box->y(), std::max(captionWidth(box), width() - margin - second), box->height());
        right = std::max(right, box->x() + box->width() + margin);
    }
    setFixedSize(right, height());
    cmdLineWidth = new QPushButton(QStringLiteral("2"), this);
    cmdLineWidth->setObjectName(QStringLiteral("cmdLineWidth"));
    cmdLineWidth->setToolTip(QStringLiteral("Statistic line width"));
    cmdLineWidth->setGeometry(twips(120), twips(1440), twips(420), twips(300));
    cmdStatColor = new QPushButton(this);
    cmdStatColor->setObjectName(QStringLiteral("cmdStatColor"));
    cmdStatColor->setToolTip(QStringLiteral("Statistic line color"));
    cmdStatColor->setGeometry(twips(600), twips(1440), twips(300), twips(300));
    setStatColor(QColor(128, 128, 255));
    OKButton = pictureButton(this, "OKButton", "dialog-ok,emblem-default", QStyle::SP_DialogOkButton, QString(),
                             QStringLiteral("OK"));
    OKButton->setGeometry(twips(2280), twips(1320), twips(400), twips(400));

    connect(cmdLineWidth, &QPushButton::clicked, this, &frmStatOpt::cmdLineWidth_Click);
    connect(cmdStatColor, &QPushButton::clicked, this, &frmStatOpt::cmdStatColor_Click);
    connect(OKButton, &QPushButton::clicked, this, &frmStatOpt::OKButton_Click);
}

void frmStatOpt::setStatColor(const QColor& colour)
{
    m_statColor = colour;
    cmdStatColor->setStyleSheet(QStringLiteral("background-color: %1").arg(colour.name()));
}

void frmStatOpt::showModal(QWidget* owner)
{
    if (owner) {
        // Centred over the chart window that asks.
        const QRect frame = owner->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    if (modalScript()) {
        modalScript()(*this);
        return;
    }
    if (nobodyCanSeeWindows())
        return;
    exec();
}

void frmStatOpt::cmdLineWidth_Click()
{
    InputBoxRequest request;
    request.prompt = QStringLiteral("What is the width of the statistic lines?");
    request.title = QStringLiteral("Statistics");
    request.defaultText = cmdLineWidth->text();
    const std::optional<QString> answer = Platform::inputBox().ask(request);
    // Cancel, an empty answer or one that is no whole number within reach
    // keeps the width; below 1 it becomes 2.
    if (!answer)
        return;
    const std::optional<double> value = parseStrictNumber(*answer);
    if (!value)
        return;
    const double rounded = std::nearbyint(*value);
    if (rounded > 32767 || rounded < -32768)
        return;
    const int width = rounded < 1 ? 2 : static_cast<int>(rounded);
    cmdLineWidth->setText(QString::number(width));
}

void frmStatOpt::cmdStatColor_Click()
{
    // A cancelled dialog keeps the colour.
    if (const std::optional<QColor> chosen = Platform::colorDialog().choose(m_statColor))
        setStatColor(QColor(chosen->red(), chosen->green(), chosen->blue()));
}

void frmStatOpt::OKButton_Click()
{
    // Hiding the window ends its modal showing.
    accept();
}

void frmStatOpt::Form_Unload()
{
    for (QCheckBox* box : m_check1)
        box->setChecked(false);
    reject();
}

void frmStatOpt::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmStatOpt::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the window: only OK and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
