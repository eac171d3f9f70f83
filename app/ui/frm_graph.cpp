#include "ui/frm_graph.hpp"

#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

#include "ui/picture_button.hpp"
#include "ui/twips.hpp"

frmGraph::frmGraph(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmGraph"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Graphs"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setGeometry(twips(120), twips(120), twips(7260), twips(7260));

    Command1 = pictureButton(this, "Command1", "zoom-original", QStyle::SP_TitleBarNormalButton,
                             QStringLiteral("Resize"), QStringLiteral("Original size"));
    Command1->setGeometry(twips(7560), twips(5640), twips(800), twips(800));
    Command2 = pictureButton(this, "Command2", "go-previous", QStyle::SP_ArrowBack, QStringLiteral("Return"),
                             QStringLiteral("Return"));
    Command2->setGeometry(twips(7560), twips(6600), twips(800), twips(800));
    connect(Command1, &QPushButton::clicked, this, &frmGraph::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmGraph::Command2_Click);

    resize(twips(8475), twips(7560));
    Form_Load();
}

frmGraph* frmGraph::showPicture(const QString& path, const QString& caption)
{
    auto* window = new frmGraph();
    if (!window->loadPicture(path)) {
        delete window;
        return nullptr;
    }
    window->setWindowTitle(caption);
    window->show();
    return window;
}

bool frmGraph::loadPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    m_picture = QPixmap::fromImage(image);
    Image1->setPixmap(m_picture);
    return true;
}

void frmGraph::Form_Load()
{
    SizingToPicture = false;
    RestoreStretch = false;
}

bool frmGraph::stretching() const
{
    return Image1->hasScaledContents();
}

frmGraph::Layout frmGraph::layoutFor(int outerWidth, int outerHeight)
{
    // A window made smaller than the margins gets an empty image area,
    // never a negative one.
    Layout layout;
    layout.image = QRect(120, 120, std::max(0, outerWidth - 1335), std::max(0, outerHeight - 810));
    layout.resizeButton = QPoint(outerWidth - 1035, outerHeight - 2430);
    layout.returnButton = QPoint(outerWidth - 1035, outerHeight - 1470);
    return layout;
}

QSize frmGraph::outerSizeFor(QSize pictureTwips)
{
    return {pictureTwips.width() + 1340, pictureTwips.height() + 840};
}

QSize frmGraph::outerSizeTwips() const
{
    return {toTwips(width()) + BorderWidth, toTwips(height()) + BorderHeight};
}

void frmGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmGraph::Form_Resize()
{
    if (SizingToPicture || isMinimized())
        return;
    if (RestoreStretch) {
        RestoreStretch = false;
        Image1->setScaledContents(true);
    }
    const QSize outer = outerSizeTwips();
    const Layout layout = layoutFor(outer.width(), outer.height());
    Image1->setGeometry(twips(layout.image.x()), twips(layout.image.y()), twips(layout.image.width()),
                        twips(layout.image.height()));
    Command1->move(twips(layout.resizeButton.x()), twips(layout.resizeButton.y()));
    Command2->move(twips(layout.returnButton.x()), twips(layout.returnButton.y()));
}

void frmGraph::Command1_Click()
{
    SizingToPicture = true;
    RestoreStretch = true;
    // Without stretching the image takes the picture's own size.
    Image1->setScaledContents(false);
    Image1->resize(m_picture.size());
    if (isMaximized() || isMinimized())
        showNormal();
    const QSize outer = outerSizeFor(QSize(toTwips(Image1->width()), toTwips(Image1->height())));
    resize(twips(outer.width() - BorderWidth), twips(outer.height() - BorderHeight));
    SizingToPicture = false;
    Form_Resize();
}

void frmGraph::Command2_Click()
{
    close();
}
