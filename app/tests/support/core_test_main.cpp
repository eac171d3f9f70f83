// main() of the core test binaries: temporary HOME, a core application.
#include <QCoreApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/test_env.hpp"

int main(int argc, char** argv)
{
    setUpTestEnvironment();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
