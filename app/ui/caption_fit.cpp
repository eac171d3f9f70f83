#include "ui/caption_fit.hpp"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

int captionWidth(const QAbstractButton* button)
{
    const auto* push = qobject_cast<const QPushButton*>(button);
    // The picture buttons with the picture above the caption know their size.
    if (!push || push->property("pictureAboveCaption").toBool())
        return button->sizeHint().width();
    QStyleOptionButton option;
    option.initFrom(push);
    option.text = push->text();
    option.icon = push->icon();
    option.iconSize = push->iconSize();
    if (push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (push->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    const QStyle* style = push->style();
    // A single "&" marks the access key and takes no room.
    QString text = push->text();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    int width = text.isEmpty() ? 0 : QFontMetrics(push->font()).horizontalAdvance(text);
    if (!push->icon().isNull())
        width += push->iconSize().width() + (text.isEmpty() ? 0 : 4);
    width += style->pixelMetric(QStyle::PM_ButtonMargin, &option, push)
             + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, push);
    if (option.features & QStyleOptionButton::AutoDefaultButton)
        width += 2 * style->pixelMetric(QStyle::PM_ButtonDefaultIndicator, &option, push);
    return width;
}

void widenToCaption(QAbstractButton* button)
{
    const int needed = captionWidth(button);
    if (button->width() < needed)
        button->resize(needed, button->height());
}

void shrinkToCaption(QAbstractButton* button)
{
    QSizePolicy policy = button->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Preferred);
    button->setSizePolicy(policy);
    button->setMinimumWidth(captionWidth(button));
}

void flowRow(const std::vector<QWidget*>& row, int gap)
{
    int free = -1;
    for (QWidget* w : row) {
        if (free >= 0 && w->x() < free)
            w->move(free, w->y());
        free = w->x() + w->width() + gap;
    }
}
