// The splash screen's platform text and the search for a system-information
// tool.
#include <gtest/gtest.h>

#include "platform/system_info.hpp"

TEST(SystemInfo, PlatformTextHasThreeLines)
{
    EXPECT_EQ(PlatformText({"linux", "Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64"}),
              QStringLiteral("Platform: Linux\r\n"
                             "       OS: Debian GNU/Linux 12 (bookworm)\r\n"
                             "  Version: 6.1.0-18-amd64"));
    EXPECT_EQ(PlatformText({"freebsd", "", "14.0"}),
              QStringLiteral("Platform: Freebsd\r\n       OS: N/A\r\n  Version: 14.0"));
    // A failed query: the label keeps the text it was built with.
    EXPECT_EQ(PlatformText({"", "Debian", "6.1"}), QString());

    const QString here = PlatformText(querySystemVersion());
    EXPECT_TRUE(here.startsWith(QStringLiteral("Platform: "))) << here.toStdString();
    EXPECT_EQ(here.count(QStringLiteral("\r\n")), 2);
}

TEST(SystemInfo, FirstInstalledToolIsUsed)
{
    QStringList asked;
    const auto none = [&](const QString& name) {
        asked << name;
        return QString();
    };
    EXPECT_EQ(FindSystemInfoTool(none), QString());
    EXPECT_EQ(asked, systemInfoCandidates());

    const auto some = [](const QString& name) {
        return name == QStringLiteral("gnome-system-monitor") || name == QStringLiteral("hardinfo")
                   ? QStringLiteral("/usr/bin/") + name
                   : QString();
    };
    EXPECT_EQ(FindSystemInfoTool(some), QStringLiteral("/usr/bin/gnome-system-monitor"));
}
