#pragma once
// frmCompare: the model-comparison window, one for the whole program. Its
// file list List1 holds full paths of dataset files; a selected item takes
// part in the comparison.

#include <QWidget>

#include <functional>

class QListWidget;
class CompareRFrame;

class frmCompare : public QWidget {
    Q_OBJECT
public:
    // The program's one comparison window, loaded on first use.
    static frmCompare* instance();
    static bool isLoaded();

    QListWidget* list() const { return List1; }
    // The R page and its list refresh.
    CompareRFrame* rFrame() const { return Frame2; }
    void Command28_Click();

    // Opens a comparison file into the window (its own Open command without
    // a dialog). Set by the model comparison.
    static std::function<void(frmCompare&, const QString& path)>& openComparisonFile();

private:
    explicit frmCompare(QWidget* parent = nullptr);
    void Form_Load();

    QListWidget* List1;
    CompareRFrame* Frame2;
};
