// main() of every test program: isolate the environment, then run GoogleTest inside a
// QApplication so that widgets and queued events work.

#include "TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    PelmoraTest::isolateEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
