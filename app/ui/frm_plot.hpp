#pragma once
// frmPlot: the chart window. Each chart of the program gets a new one: a
// builder creates it, fills its chart control `Chart`, sets the caption and
// shows it; from then on it belongs to the user and deletes itself when
// closed. Beside the chart: the style boxes (drawn as toggle buttons), the
// two scroll bars for the markers of the third series, the information
// button, and return, print with the printer dialog, copy, save as picture
// and print with the information text. A double click on an element of the
// chart restyles it (frm_plot_edit.cpp); the "Stats" box draws statistic
// lines through the options window frmStatOpt (frm_plot_stats.cpp).

#include <QColor>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

#include "platform/platform_services.hpp"

class ChartView;
struct ChartFont;
class ChartModel;
struct ChartText;
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
        int flags = 0;                   // 4 by the print setup, 3 by the font dialog
        int copies = 1;
        bool landscape = false;
        QColor color = Qt::black;        // the colour dialog's colour
        QString fileName;                // the save dialog's file name
        QString filter;
        int filterIndex = 1;             // the save dialog's filter, from 1
        QString defaultExt;
    };
    DialogState& dialog() { return m_dialog; }
    // The colour dialog at the dialog's colour: the colour chosen, nothing
    // when cancelled, or a throw when cancelling raises an error.
    std::optional<QColor> chooseColor();
    // The font dialog at `font` (screen and printer fonts): the font
    // chosen, with the same cancel rules.
    std::optional<ChartFont> chooseFont(const ChartFont& font);

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

    // Double clicks on the chart's elements.
    void Chart_ChartActivated();
    void Chart_PlotActivated();
    void Chart_TitleActivated();
    void Chart_FootnoteActivated();
    void Chart_AxisActivated(int axisId, int axisIndex);
    void Chart_AxisTitleActivated(int axisId, int axisIndex);
    void Chart_AxisLabelActivated(int axisId, int axisIndex, int labelSetIndex, int labelIndex);
    void Chart_SeriesActivated(int series);
    void Chart_PointActivated(int series, int dataPoint);

    // Smallest outer size of the window, in twips, and how much the frame
    // and caption bar take of the outer size.
    static constexpr int MinOuterWidth = 8350;
    static constexpr int MinOuterHeight = 8750;
    static constexpr int FrameWidth = 120;
    static constexpr int FrameHeight = 570;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Resize();
    // Sizes the controls of the two rows for their captions.
    void fitCaptions();
    void chooseBackdropColor(QPushButton* box, bool plotArea);
    // A text of the chart through the label prompt, then its font.
    void editText(const std::function<ChartText&(ChartModel&)>& element);
    PrintJob chartPrintJob();
    // Runs a command; a run-time error shows its description in a box
    // titled "Plot".
    void guarded(const std::function<void()>& step);

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
