#include <QApplication>
#include <gtest/gtest.h>

// The console's tests need an application object: widgets, timers and sockets.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
