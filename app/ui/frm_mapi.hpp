#pragma once
// frmMAPI: the mail window, one for the whole program, not modal. It
// composes one message (recipients, subject, attachments, text) and sends
// it through the mail transport; the recipients are then recorded in the
// contacts file so that the contacts window can offer them again.
//
// Its attachment box txtAttach holds file paths separated by "; ". The
// controls carry their names as objectNames (txtSendTo, txtSubject,
// txtAttach, txtMessage, Label1 .. Label4, Command1, Command2, Command18,
// Check1, cmdSend, cmdEnd) and cmdSettings opens the mail settings.

#include <QPlainTextEdit>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A several-line text box that reads and writes its whole text like a
// one-line box.
class MailTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }
};

class frmMAPI : public QWidget {
    Q_OBJECT
public:
    // The program's one mail window, created on first use.
    static frmMAPI* instance();
    static bool isLoaded();

    MailTextBox* attachments() const { return txtAttach; }

    void Form_Load();                    // centres the window on the screen
    void Command18_Click();              // Contacts
    void Command1_Click();               // Add an attachment
    void Command2_Click();               // Remove attachments
    void cmdSend_Click();                // Send
    void cmdEnd_Click();                 // Return
    void cmdSettings_Click();            // Mail settings

    // The mail server's password is asked once per run and kept in memory
    // only; this forgets it (a refused login, tests).
    static void forgetPassword();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmMAPI(QWidget* parent = nullptr);
    void txtSendTo_GotFocus();

    QLabel* Label1 = nullptr;
    MailTextBox* txtSendTo = nullptr;
    QPushButton* Command18 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLabel* Label4 = nullptr;
    MailTextBox* txtAttach = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label3 = nullptr;
    MailTextBox* txtMessage = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* cmdSettings = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdEnd = nullptr;
};
