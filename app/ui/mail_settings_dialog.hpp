#pragma once
// The mail settings, reached from the mail window: SMTP server, port,
// security, user, sender address and default mailbox, kept in the settings
// store. The password is not among them: it is asked at the first send of
// a run and kept in memory only.
//
// Controls: txtHost, txtPort, cboSecurity, txtUser, txtSender,
// txtDefaultMailbox; OK checks the entries and saves them.

#include <QDialog>

#include "core/mail_settings.hpp"

class QComboBox;
class QLineEdit;

class MailSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MailSettingsDialog(QWidget* parent = nullptr);

    // The settings as entered; `error` says what is wrong, empty when all
    // entries are valid.
    MailSettings entered(QString& error) const;

    void accept() override;

private:
    QLineEdit* txtHost = nullptr;
    QLineEdit* txtPort = nullptr;
    QComboBox* cboSecurity = nullptr;
    QLineEdit* txtUser = nullptr;
    QLineEdit* txtSender = nullptr;
    QLineEdit* txtDefaultMailbox = nullptr;
};
