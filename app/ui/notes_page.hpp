#pragma once
// The notes page of the main window: the notes box `Notes` and the buttons
// under it (colours, bold, zoom, erase, save to a text file, append a text
// file, edit a numbered copy in the editor), and text files dropped on the
// box. The window builds the controls; this object gives them their work.

#include <QObject>
#include <QStringList>

class QCheckBox;
class QTextEdit;
class frmMain;

class NotesPage : public QObject {
    Q_OBJECT
public:
    // Attaches to the notes controls of `window` and shows the plain look.
    explicit NotesPage(frmMain& window);

    // The notes page of a main window (nullptr when it has none).
    static NotesPage* of(const frmMain& window);

    static constexpr double MinFontSize = 4;
    static constexpr double MaxFontSize = 72;

    QTextEdit* notes() const { return m_notes; }
    float fontSize() const;
    // Sets the box's font size, kept within MinFontSize..MaxFontSize.
    void setFontSize(double size);
    // Font size 10, not bold, not inverted.
    void resetLook();

    void Check44_Click();                    // "Ab": invert colours
    void Check45_Click();                    // "B": bold
    void Command18_Click();                  // zoom in
    void Command19_Click();                  // zoom out
    void Command16_Click();                  // erase
    void Command21_Click();                  // save as a text file
    void Command22_Click();                  // append a text file
    void Command20_Click();                  // edit a numbered copy
    bool Notes_OLEDragOver(const QStringList& files) const { return !files.isEmpty(); }
    void Notes_OLEDragDrop(const QStringList& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString startFolder() const;
    QString chooseTextFile(bool save, const QString& title);
    // The text of a file, each line followed by a line break.
    static bool readLines(const QString& path, QString& buffer, QString& errorText);
    void append(const QString& text);

    frmMain& m_window;
    QTextEdit* m_notes = nullptr;
    // The box's viewport, whose drag and drop events are filtered. Kept
    // apart because events still arrive while the box is being destroyed,
    // when the box may no longer be asked for it.
    QObject* m_notesViewport = nullptr;
    QCheckBox* m_invert = nullptr;
    QCheckBox* m_bold = nullptr;
};
