#include "ui/setting_scroll_bar.hpp"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

SettingScrollBar::SettingScrollBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setInvertedControls(false);
}

void SettingScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}
