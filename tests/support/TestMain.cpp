#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests run with a Qt application object, as Kestrova's own code does. Suites that need
// widgets link their own main instead.
int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
