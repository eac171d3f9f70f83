#pragma once
// frmGraph: the picture window. Every BMP or JPG picture that R wrote gets
// its own instance; the picture is stretched over the window but for a
// strip on the right that holds "Resize" (the picture's own size) and
// "Return".
//
// Sizes are in twips, counted on the window's outer size: the client area
// plus the window's borders in twips (120 wide, 510 high, caption
// included), so the layout is the same on every desktop.

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

class QLabel;
class QPushButton;

class frmGraph : public QWidget {
    Q_OBJECT
public:
    explicit frmGraph(QWidget* parent = nullptr);

    // A new window with the picture of the file, captioned and shown;
    // nullptr (and no window) when the file cannot be read as a picture.
    static frmGraph* showPicture(const QString& path, const QString& caption);
    bool loadPicture(const QString& path);

    void Form_Load();
    void Form_Resize();
    void Command1_Click();                  // "Resize": the picture's own size
    void Command2_Click();                  // "Return"

    bool stretching() const;
    const QPixmap& picture() const { return m_picture; }

    // The window's borders around the client area, in twips.
    static constexpr int BorderWidth = 120;
    static constexpr int BorderHeight = 510;

    // Where the image and the two buttons go for an outer size, in twips.
    struct Layout {
        QRect image;
        QPoint resizeButton;
        QPoint returnButton;
    };
    static Layout layoutFor(int outerWidth, int outerHeight);
    // The outer size that "Resize" gives the window for a picture (twips).
    static QSize outerSizeFor(QSize pictureTwips);
    // The window's outer size in twips.
    QSize outerSizeTwips() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* Image1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPixmap m_picture;
    bool SizingToPicture = false;
    bool RestoreStretch = false;
};
