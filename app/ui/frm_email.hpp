#pragma once
// frmeMail: the contacts window, shown modally by the mail window's
// "Contacts" button. It lists the entries of the contacts file (without
// duplicates: one beep for each dropped line), marks several or all of
// them, removes marked ones after a question, imports contacts from a
// vCard or CSV file, and on "Return" hands the marked entries back through
// SelectedAddresses and, when "Save eMails before close" is ticked and the
// file exists, rewrites the file with the list as shown. Lines of the file
// that are no entry (a tab or another control character inside) are not
// listed: lblUnreadable says how many there are, and the rewrite keeps them
// as they stand.
//
// Controls carry their names as objectNames: Label1, eMailList,
// lblUnreadable, Check2, Check1, Command2 (Remove), Command1 (Import),
// cmdOK (Return).

#include <QDialog>

#include "core/contacts.hpp"

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

class frmeMail : public QDialog {
    Q_OBJECT
public:
    // Loads the list from the contacts file.
    explicit frmeMail(QWidget* parent = nullptr);

    void Form_Load();
    void Check2_Click();                 // Select ALL eMails?
    void Command2_Click();               // Remove
    void cmdOK_Click();                  // Return
    void Command1_Click();               // Import

    QListWidget* list() const { return eMailList; }

    // The sound for a dropped duplicate; tests count it.
    static std::function<void()>& beeper();

private:
    void setCountLabel();
    QStringList entries() const;

    QString m_file;
    Contacts::ReadResult m_read;         // the file as loaded
    bool m_readFailed = false;           // then "Return" never rewrites the file
    QLabel* Label1 = nullptr;
    QListWidget* eMailList = nullptr;
    QLabel* lblUnreadable = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdOK = nullptr;
};
