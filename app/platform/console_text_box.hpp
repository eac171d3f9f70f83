#pragma once
// The box for a program's console text: the text in a read-only area that
// scrolls, in a fixed-pitch font so that columns stay aligned, with OK
// below it. The box is as wide as the text's lines (a console's 80
// columns at most) and as tall as its lines need, but never larger than the
// free area of its screen, on which it is placed whole.

#include <QDialog>

#include "platform/platform_services.hpp"

class QPlainTextEdit;
class QPushButton;

class ConsoleTextBox : public QDialog {
    Q_OBJECT
public:
    ConsoleTextBox(const QString& title, const QString& text, MsgIcon icon, QWidget* parent = nullptr);

    QPlainTextEdit* textArea() const { return m_text; }
    QPushButton* okButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_ok = nullptr;
};
