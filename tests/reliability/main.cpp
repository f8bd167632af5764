// The reliability tests: headless, and, where the process may, in a mount
// namespace of their own so that the scratch disks they mount vanish with the
// process whatever happens to it.
#include "ScratchFileSystem.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Before Qt starts any thread: unsharing the mount table needs a process
    // with a single thread.
    isolateMounts();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
