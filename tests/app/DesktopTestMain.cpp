#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

// The desktop tests need an X server: CTest runs them under tests/harness/with-xvfb.
int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::cerr << "these tests need an X server: run them as tests/harness/with-xvfb TEST\n";
        return EXIT_FAILURE;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
