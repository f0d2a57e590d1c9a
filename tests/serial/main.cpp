#include <QCoreApplication>
#include <gtest/gtest.h>

// The port hands its events to the thread that created it; that thread needs an event loop.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
