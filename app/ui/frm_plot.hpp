#pragma once
// frmPlot: the chart window. Each chart of the program gets a new one: a
// builder creates it, fills its chart control `Chart`, sets the caption and
// shows it; from then on it belongs to the user and deletes itself when
// closed. Beside the chart: the style boxes (drawn as toggle buttons), the
// two scroll bars for the markers of the third series, the information
// button, and return, print with the printer dialog, copy, save as picture
// and print with the information text.

#include <QColor>
#include <QWidget>

#include <array>

#include "platform/platform_services.hpp"

class ChartView;
class QPushButton;
class QScrollBar;

class frmPlot : public QWidget {
    Q_OBJECT
public:
    explicit frmPlot(QWidget* parent = nullptr);

    ChartView* chart() const { return Chart; }
    QScrollBar* styleScrollBar() const { return HScroll1; }
    QScrollBar* sizeScrollBar() const { return HScroll2; }
    QPushButton* infoButton() const { return btnInfo; }
    QPushButton* statsBox() const { return Check8; }
    // The information button's Tag: the chart's information text.
    const QString& infoTag() const { return m_infoTag; }
    void setInfoTag(const QString& text) { m_infoTag = text; }

    // A colour value (red + 256 x green + 65536 x blue) taken apart.
    static qint16 RedFromRGB(qint32 colour) { return static_cast<qint16>(colour & 255); }
    static qint16 GreenFromRGB(qint32 colour) { return static_cast<qint16>((colour >> 8) & 255); }
    static qint16 BlueFromRGB(qint32 colour) { return static_cast<qint16>((colour >> 16) & 255); }

    // The statistics last chosen for the "Stats" box: mean, standard
    // deviation, minimum, maximum, trend. All chosen when the window loads.
    enum StatChoice { StatMean, StatSD, StatMin, StatMax, StatTrend };
    std::array<bool, 5>& statChoices() { return m_statChoices; }

    // The window's one dialog control DlgChart: what a command sets on it and
    // what the user chose in it stay for the window's later dialogs.
    struct DialogState {
        bool cancelError = false;        // cancelling raises an error (set by the print setup)
        int flags = 0;
        int copies = 1;
        bool landscape = false;
        QColor color = Qt::black;        // the colour dialog's colour
        QString fileName;                // the save dialog's file name
        QString filter;
        QString defaultExt;
    };
    DialogState& dialog() { return m_dialog; }
    // The colour dialog at the dialog's colour. Cancelling keeps that
    // colour, or throws when cancelling raises an error.
    QColor chooseColor();

    // Handlers, named after their controls.
    void Form_Load();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void Check6_Click();
    void Check7_Click();
    void Check8_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void btnInfo_Click();
    void HScroll1_Change();
    void HScroll2_Change();

    // Smallest outer size of the window, in twips, and how much the frame
    // and caption bar take of the outer size.
    static constexpr int MinOuterWidth = 8350;
    static constexpr int MinOuterHeight = 8750;
    static constexpr int FrameWidth = 120;
    static constexpr int FrameHeight = 570;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Resize();
    void chooseBackdropColor(QPushButton* box, bool plotArea);
    PrintJob chartPrintJob();
    // Runs a command; a run-time error shows its description in a box
    // titled "Plot".
    template <class Step>
    void guarded(Step&& step);

    ChartView* Chart;
    QPushButton* Check1;
    QPushButton* Check2;
    QPushButton* Check3;
    QPushButton* Check4;
    QPushButton* Check5;
    QPushButton* Check6;
    QPushButton* Check7;
    QPushButton* Check8;
    QScrollBar* HScroll1;
    QScrollBar* HScroll2;
    QPushButton* btnInfo;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QString m_infoTag;
    std::array<bool, 5> m_statChoices{};
    DialogState m_dialog;
};
