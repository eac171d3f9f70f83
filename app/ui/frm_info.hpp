#pragma once
// frmInfo: the results text window. Each report gets its own instance; the
// creator sets the caption and the text and shows it. In a command-line run
// the hidden box Auto makes the window save, print and close itself.

#include <QWidget>

class QCheckBox;
class ReportTextView;
class QPushButton;

class frmInfo : public QWidget {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);

    // The report text; lines end in CR LF as the reports write them.
    void setText(const QString& text);
    // The same in UTF-8, kept as it is: a long report is never copied.
    void setUtf8(const QByteArray& utf8);
    QString text() const;
    // Optional size in twips, kept within the window's smallest size.
    void setSizeTwips(int width, int height);

    // The window's Tag: the start of the caption after a save.
    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // Creates a window with caption and text and shows it.
    static frmInfo* showReport(const QString& caption, const QString& text);
    static frmInfo* showReport(const QString& caption, const QByteArray& utf8);

    // Handlers, named after their controls.
    void Check1_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Command6_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void Command8_Click();
    void Command3_Click();
    void Command20_Click();
    void Command4_Click();
    void Command5_Click();
    void Auto_Click();

    // Font sizes that zoom keeps to.
    static constexpr int MinPointSize = 4;
    static constexpr int MaxPointSize = 72;

    // The steps of the batch actions that a command line waits for.
    enum class BatchStep { Save, Print };

signals:
    // A batch action's step has ended: `failure` is empty when it was done,
    // else one line saying what was not done and why.
    void batchStepDone(frmInfo::BatchStep step, const QString& failure);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutControls();
    // Print and Save; false when nothing was printed or written, with the
    // reason in `failure` when given.
    bool printText(const QString& errorTitle, bool withSetup, QString* failure = nullptr);
    bool saveText(QString* failure);

    ReportTextView* TxtInfo;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QCheckBox* Auto;
    QPushButton* Command6_1;
    QPushButton* Command6_0;
    QPushButton* Command5;
    QPushButton* Command4;
    QPushButton* Command3;
    QPushButton* Command20;
    QPushButton* Command2;
    QPushButton* Command8;
    QPushButton* Command1;
    QString m_tag;
};
