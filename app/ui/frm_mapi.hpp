#pragma once
// frmMAPI: the mail window, one for the whole program. Its attachment box
// txtAttach holds file paths separated by "; ".

#include <QWidget>

class QLineEdit;

class frmMAPI : public QWidget {
    Q_OBJECT
public:
    // The program's one mail window, created on first use.
    static frmMAPI* instance();
    static bool isLoaded();

    QLineEdit* attachments() const { return txtAttach; }

private:
    explicit frmMAPI(QWidget* parent = nullptr);

    QLineEdit* txtAttach;
};
