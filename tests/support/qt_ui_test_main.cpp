#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "desktop/qt_run_stop.h"

// Window tests drive the real widgets on Qt's offscreen platform; one application object serves them all.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A real box under a run's guard would freeze the program: in a test it is a failure.
    qvr::RunStopGuard::on_box_under_guard(
        [](const char* what) { ADD_FAILURE() << "a " << what << " was shown while a run held the window"; });
    return RUN_ALL_TESTS();
}
