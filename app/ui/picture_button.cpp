#include "ui/picture_button.hpp"

#include <algorithm>

#include <QFileInfo>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// A picture every full theme has, to tell such a theme from "hicolor",
// which holds the programs' own icons only.
const QString Probe = QStringLiteral("document-save");

constexpr int PictureSize = 24;

bool installedTheme(const QString& theme)
{
    for (const QString& folder : QIcon::themeSearchPaths())
        if (QFileInfo(folder + QLatin1Char('/') + theme + QStringLiteral("/index.theme")).isFile())
            return true;
    return false;
}

void chooseIconTheme()
{
    static bool chosen = false;
    if (chosen)
        return;
    chosen = true;
    if (QIcon::hasThemeIcon(Probe))
        return;
    // Without a desktop (Qt's offscreen platform) Qt knows no icon folders:
    // the freedesktop ones.
    QStringList folders = QIcon::themeSearchPaths();
    for (const QString& folder :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!folders.contains(folder))
            folders << folder;
    QIcon::setThemeSearchPaths(folders);
    const QString desktopTheme = QIcon::themeName();
    // The freedesktop reference theme first, then the big desktops' own.
    for (const char* theme : {"Adwaita", "breeze", "oxygen", "Tango", "gnome"}) {
        if (!installedTheme(QLatin1String(theme)))
            continue;
        QIcon::setThemeName(QLatin1String(theme));
        if (QIcon::hasThemeIcon(Probe))
            return;
    }
    QIcon::setThemeName(desktopTheme);
}

// A square button with a caption: the picture above the caption, as on
// the program's big buttons.
class StackedPictureButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    QSize sizeHint() const override
    {
        const QSize picture = iconSize();
        const QFontMetrics metrics = fontMetrics();
        const QString caption = text().remove(QLatin1Char('&'));
        return QSize(std::max(picture.width(), metrics.horizontalAdvance(caption)) + 2 * Margin,
                     picture.height() + Gap + metrics.height() + 2 * Margin);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        const QIcon picture = option.icon;
        // The button itself, without its label.
        option.text.clear();
        option.icon = QIcon();
        painter.drawControl(QStyle::CE_PushButton, option);

        const QSize size = iconSize();
        const int textHeight = fontMetrics().height();
        const QRect area = rect();
        const int top = area.top() + std::max(0, (area.height() - size.height() - Gap - textHeight) / 2);
        const QRect pictureRect(area.left() + (area.width() - size.width()) / 2, top, size.width(), size.height());
        picture.paint(&painter, pictureRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled,
                      isDown() || isChecked() ? QIcon::On : QIcon::Off);
        painter.drawItemText(QRect(area.left(), pictureRect.bottom() + 1 + Gap, area.width(), textHeight),
                             Qt::AlignHCenter | Qt::TextShowMnemonic, palette(), isEnabled(), caption,
                             QPalette::ButtonText);
    }

private:
    static constexpr int Margin = 4;
    static constexpr int Gap = 2;
};

} // namespace

QIcon themePicture(const QWidget* widget, const char* themeNames, QStyle::StandardPixmap fallback)
{
    chooseIconTheme();
    for (const QString& name : QString::fromLatin1(themeNames).split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (QIcon::hasThemeIcon(name.trimmed()))
            return QIcon::fromTheme(name.trimmed());
    return widget->style()->standardIcon(fallback, nullptr, widget);
}

void setPicture(QPushButton* button, const char* themeNames, QStyle::StandardPixmap fallback, bool keepCaption)
{
    const QString words = button->text().remove(QLatin1Char('&'));
    button->setIcon(themePicture(button, themeNames, fallback));
    // The themes draw their action pictures for 24 pixels; smaller they
    // blur and fade.
    button->setIconSize(QSize(PictureSize, PictureSize));
    if (!keepCaption) {
        button->setText(QString());
        if (button->toolTip().isEmpty())
            button->setToolTip(words);
    }
    button->setAccessibleName(words.isEmpty() ? button->toolTip() : words);
}

QPushButton* pictureButton(QWidget* parent, const char* name, const char* themeNames,
                           QStyle::StandardPixmap fallback, const QString& caption, const QString& tooltip)
{
    QPushButton* button = caption.isEmpty() ? new QPushButton(parent) : new StackedPictureButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Tells the windows that size buttons for their captions how this one
    // lays them out (caption_fit).
    button->setProperty("pictureAboveCaption", !caption.isEmpty());
    button->setToolTip(tooltip);
    setPicture(button, themeNames, fallback, !caption.isEmpty());
    return button;
}
