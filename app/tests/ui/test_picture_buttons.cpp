// The picture buttons of every window: each shows a picture of the
// desktop's icon theme (the style's own where there is no theme), the
// pictures of one window differ, and the words stay as tooltip and
// accessible name.
#include <QIcon>
#include <QImage>
#include <QPushButton>

#include <functional>
#include <vector>

#include "ui/frm_about.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_email.hpp"
#include "ui/frm_graph.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/frm_plot.hpp"
#include "ui/frm_stat_opt.hpp"
#include "window_fixture.hpp"

namespace {

struct Picture {
    const char* name;
    const char* caption;   // empty: the picture alone
    const char* tooltip;
    const char* theme;     // the icon theme's picture (Adwaita, which install-deps brings)
};

struct Window {
    const char* what;
    std::function<QWidget*()> open;
    std::vector<Picture> buttons;
};

// The buttons of every window as the windows describe them: the words are
// the tooltips (and the captions of the big buttons).
std::vector<Window> windows(frmMain& main)
{
    return {
        {"results window", [] { return new frmInfo(); },
         {{"Command6_1", "", "Zoom in", "zoom-in"},
          {"Command6_0", "", "Zoom out", "zoom-out"},
          {"Command5", "", "Clean", "edit-clear"},
          {"Command4", "", "Copy", "edit-copy"},
          {"Command3", "", "Save", "document-save"},
          {"Command20", "", "Edit with Notepad application", "accessories-text-editor"},
          {"Command2", "", "Print", "document-print"},
          {"Command8", "", "Printer setup", "document-page-setup"},
          {"Command1", "", "Return", "go-previous"}}},
        {"notes page", [&main] { return &main; },
         {{"Command18_1", "", "Zoom in", "zoom-in"},
          {"Command19_2", "", "Zoom out", "zoom-out"},
          {"Command16", "", "Clean Notes", "edit-clear"},
          {"Command21", "", "Save Notes as text file", "document-save"},
          {"Command22", "", "Open text file into Notes", "document-open"},
          {"Command20", "", "Edit with Notepad application", "accessories-text-editor"}}},
        {"dataset page", [&main] { return &main; },
         {{"Command9", "", "Apply number of rows", "emblem-default"},
          {"Command30", "", "Remove invalid rows", "list-remove"}}},
        {"graphics page", [&main] { return &main; }, {{"Command15", "", "Plot histogram", "x-office-spreadsheet"}}},
        {"R page", [&main] { return &main; },
         {{"Command28", "", "Refresh", "view-refresh"},
          {"Command26", "", "Open", "document-open"},
          {"Command27", "", "Delete", "edit-delete"},
          {"Command33", "", "Check/uncheck all", "edit-select-all"},
          {"Command32", "", "Edit template", "accessories-text-editor"},
          {"Command31", "", "R path", "folder-open"}}},
        {"comparison window", [] { return frmCompare::instance(); },
         {{"Command3", "", "Move up", "go-up"},
          {"Command4", "", "Move down", "go-down"},
          {"Command28", "", "Refresh", "view-refresh"},
          {"Command26", "", "Open", "document-open"},
          {"Command27", "", "Delete", "edit-delete"},
          {"Command33", "", "Check/uncheck all", "edit-select-all"},
          {"Command32", "", "Edit template", "accessories-text-editor"},
          {"Command31", "", "R path", "folder-open"}}},
        {"About box", [] { return new frmAbout(); },
         {{"Command2", "Web", "KVE Web page", "web-browser"},
          {"Command1", "Options", "Startup parameters", "utilities-terminal"},
          {"cmdSysInfo", "Sysinfo", "System information", "computer"},
          {"Command3", "Help", "Help", "help-contents"},
          {"cmdOK", "Return", "", "go-previous"}}},
        {"chart window", [] { return new frmPlot(); },
         {{"Command4", "", "Save as bitmap", "document-save-as"},
          {"Command3", "", "Copy to clipboard (use 'Paste Special' as metafile)", "edit-copy"},
          {"Command5", "", "Print", "document-print"},
          {"Command2", "", "Printer setup", "document-page-setup"},
          {"Command1", "", "Return", "go-previous"}}},
        {"plot statistics options", [] { return frmStatOpt::instance(); }, {{"OKButton", "", "OK", "emblem-default"}}},
        {"picture window", [] { return new frmGraph(); },
         {{"Command1", "Resize", "Original size", "zoom-original"}, {"Command2", "Return", "Return", "go-previous"}}},
        {"mail window", [] { return frmMAPI::instance(); },
         {{"Command18", "", "Contacts", "x-office-address-book"},
          {"Command1", "", "Add an attachment", "mail-attachment"},
          {"Command2", "", "Remove attachments", "list-remove"},
          {"cmdSettings", "Settings", "Mail server settings", "preferences-system"},
          {"cmdSend", "Send", "Send", "mail-send"},
          {"cmdEnd", "Return", "", "go-previous"}}},
        {"contacts window", [] { return new frmeMail(); },
         {{"Command2", "Remove", "Remove selected items", "edit-delete"},
          {"Command1", "Import", "Import from a vCard or CSV file", "document-open"},
          {"cmdOK", "Return", "Return", "go-previous"}}},
    };
}

// The picture as the button draws it: not blank.
QImage drawn(const QPushButton* button)
{
    return button->icon().pixmap(button->iconSize()).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool blank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return false;
    return true;
}

class PictureButtons : public WindowTest {
protected:
    // Every button of every window: its words and a picture of its own.
    void checkEveryWindow(bool fromTheme)
    {
        for (const Window& w : windows(*window)) {
            QWidget* opened = w.open();
            std::vector<QImage> pictures;
            for (const Picture& p : w.buttons) {
                auto* button = opened->findChild<QPushButton*>(QLatin1String(p.name));
                ASSERT_NE(button, nullptr) << w.what << ": " << p.name;
                EXPECT_EQ(button->text(), QLatin1String(p.caption)) << w.what << ": " << p.name;
                EXPECT_EQ(button->toolTip(), QLatin1String(p.tooltip)) << w.what << ": " << p.name;
                EXPECT_EQ(button->accessibleName(), QLatin1String(*p.caption ? p.caption : p.tooltip))
                    << w.what << ": " << p.name;
                if (fromTheme) {
                    EXPECT_EQ(button->icon().name(), QLatin1String(p.theme)) << w.what << ": " << p.name;
                }
                const QImage picture = drawn(button);
                EXPECT_FALSE(blank(picture)) << w.what << ": " << p.name;
                for (std::size_t i = 0; i < pictures.size(); ++i)
                    EXPECT_NE(picture, pictures[i]) << w.what << ": " << p.name << " looks like " << w.buttons[i].name;
                pictures.push_back(picture);
            }
            if (opened != window.get())
                delete opened;
        }
    }
};

} // namespace

TEST_F(PictureButtons, EveryPictureButtonShowsAPictureOfTheThemeAndKeepsItsWords)
{
    checkEveryWindow(true);
}

TEST_F(PictureButtons, WithoutAnIconThemeTheStylesPicturesStandIn)
{
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    window = std::make_unique<frmMain>();
    checkEveryWindow(false);
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(theme);
}
