#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

// Tests run with a Qt application object, as Kestrova's own code does; window tests
// (KESTROVA_GUI_TEST) a QApplication on the X server of tests/harness/with-xvfb.
#ifdef KESTROVA_GUI_TEST
#include <QApplication>
using TestApplication = QApplication;

#if defined(__SANITIZE_ADDRESS__)
#define KESTROVA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTROVA_ASAN 1
#endif
#endif
#ifdef KESTROVA_ASAN
// Connecting to an X server runs code that strict string checks misreport; see the file.
extern "C" const char* __asan_default_options()
{
    return "suppressions=" KESTROVA_ASAN_SUPPRESSIONS;
}
#endif
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
#ifdef KESTROVA_GUI_TEST
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::cerr << "these tests need an X server: run them as tests/harness/with-xvfb TEST\n";
        return EXIT_FAILURE;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    TestApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
