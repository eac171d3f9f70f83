#pragma once
// Fixture of the main-window tests: scripted platform layers (boxes answer
// from a script, the printer writes PDFs into a temporary folder), fresh
// program state, no hooks, and a main window.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "core/program_state.hpp"
#include "platform/flex_grid.hpp"
#include "platform/scripted_platform_services.hpp"
#include "ui/frm_main.hpp"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        mainWindowHooks() = MainWindowHooks();
        platform = std::make_unique<ScriptedPlatform>(dir.path());
        window = std::make_unique<frmMain>();
    }
    void TearDown() override
    {
        window.reset();
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            windows << w;
        for (const QPointer<QWidget>& w : windows)
            delete w.data();
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
