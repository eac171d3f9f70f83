#pragma once
// The comparison window's R page (Frame2): R templates run on the models
// ticked in the window's file list, named after the current comparison file.
// The window embeds it and calls Command28_Click and showRFolder when the
// page is shown or a comparison file is opened.

#include <QStringList>
#include <QWidget>

class QListWidget;
class RPage;

class CompareRFrame : public QWidget {
    Q_OBJECT
public:
    // `models` is the window's file list List1.
    CompareRFrame(QListWidget* models, QWidget* parent);

    RPage* page() const { return m_page; }
    void Command28_Click();
    void showRFolder();

    // The ticked files of the list, in list order: items that show a check
    // box count when ticked, others when selected.
    static QStringList tickedFiles(const QListWidget* models);

private:
    RPage* m_page;
};
