#pragma once
// A horizontal scroll bar that sets a value (a marker's style or size, a
// limit band) rather than scrolling a view: Tab reaches it, the arrow keys
// move it, Right and Up to larger values (a scroll bar's keys run the other
// way by default), and a frame shows when it has the keyboard focus (the
// styles draw none on scroll bars).

#include <QScrollBar>

class SettingScrollBar : public QScrollBar {
public:
    explicit SettingScrollBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
