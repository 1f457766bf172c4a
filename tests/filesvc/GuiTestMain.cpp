#include <QGuiApplication>

#include <gtest/gtest.h>

// Icons are rendered by Qt's GUI module, which needs a QGuiApplication; without an X
// server the "offscreen" platform serves.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
