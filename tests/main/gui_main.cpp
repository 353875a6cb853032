#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Headless, on a screen the size of the terminal's panel (the offscreen platform's own is
    // 800 x 600), unless the caller chose a platform or another screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QT_TESTCASE_SOURCEDIR "/screens/ecra-1920x1080.json");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
