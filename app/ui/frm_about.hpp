#pragma once
// frmAbout: the About box, opened modally by the main window's "About"
// button: version, description, legal notice, disclaimer, and buttons for
// the start-up parameters, the user manual ("Web" and "Help") and the
// system-information tool.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The legal notice of the box Text1.
    static QString legalNotice();
    // The start-up parameters help of "Options".
    static QString startupParametersText();

    void Form_Load();
    void Command1_Click();   // "Options"
    void Command2_Click();   // "Web"
    void Command3_Click();   // "Help"
    void cmdSysInfo_Click(); // "Sysinfo"
    void cmdOK_Click();      // "Return"
    void StartSysInfo();

private:
    QLabel* lblVersion;
    QLabel* lblDescription;
    QPlainTextEdit* lblDisclaimer;
    QPlainTextEdit* Text1;
    QPushButton* Command2;
    QPushButton* Command1;
    QPushButton* cmdSysInfo;
    QPushButton* Command3;
    QPushButton* cmdOK;
};
