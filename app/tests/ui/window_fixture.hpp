#pragma once
// Fixture of the main-window tests: scripted platform layers (boxes answer
// from a script, the printer writes PDFs into a temporary folder), fresh
// program state and a main window; and a recorder of the chart windows that
// come up.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "charts/chart_view.hpp"
#include "core/program_state.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"

// The chart windows shown while it lives, by their charts' titles, in the
// order they came up ("Observed vs Model-Predicted" for Scatter, "Rank of
// ..." for Rank, the histograms' own). `shown`, when set, runs as each
// comes up.
class ShownCharts : public QObject {
public:
    ShownCharts() { qApp->installEventFilter(this); }
    ~ShownCharts() override { qApp->removeEventFilter(this); }
    ShownCharts(const ShownCharts&) = delete;
    ShownCharts& operator=(const ShownCharts&) = delete;

    QStringList titles;
    std::function<void(const QString& title)> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* plot = qobject_cast<frmPlot*>(watched)) {
                titles << plot->chart()->model().Title.Text;
                if (shown)
                    shown(titles.last());
            }
        return false;
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        platform = std::make_unique<ScriptedPlatform>(dir.path());
        window = std::make_unique<frmMain>();
    }
    void TearDown() override
    {
        window.reset();
        deleteTopLevelWindows();
        platform.reset();
    }

    template <class T>
    T* child(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit* box(int index) const { return window->text1(index); }
    FlexGrid* grid() const { return window->grid(); }
    DataMatrix& matrix() const { return window->dataMatrix(); }

    static void key(QWidget* target, int key, const QString& text = QString(),
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
    }

    QTemporaryDir dir;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<frmMain> window;
};
