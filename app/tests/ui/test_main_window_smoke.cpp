// The main window comes up on the offscreen platform.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/frm_main.hpp"

TEST(MainWindowSmoke, Opens)
{
    frmMain window;
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMain"));
}
