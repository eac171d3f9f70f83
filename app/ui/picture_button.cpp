#include "ui/picture_button.hpp"

#include <QIcon>
#include <QPushButton>

#include "ui/twips.hpp"

QPushButton* makePictureButton(QWidget* parent, const char* name, const QString& tooltip, const char* iconName,
                               const QString& fallback, int left, int top)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tooltip);
    const QIcon icon = QIcon::fromTheme(QLatin1String(iconName));
    if (icon.isNull())
        button->setText(fallback);
    else
        button->setIcon(icon);
    button->setGeometry(twips(left), twips(top), twips(400), twips(400));
    return button;
}
