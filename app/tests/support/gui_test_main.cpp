// main() of the widget test binaries: temporary HOME, offscreen platform.
#include <QApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_env.hpp"

int main(int argc, char** argv)
{
    setUpTestEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
