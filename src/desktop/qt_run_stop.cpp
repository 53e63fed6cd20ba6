#include "desktop/qt_run_stop.h"

#include <QApplication>
#include <QKeyEvent>

namespace qvr {

RunStopGuard::RunStopGuard(const QObject* stop_button, StopRequest& stop)
    : stop_button_(stop_button), stop_(stop) {
    stop_.clear();
    qApp->installEventFilter(this);
    stop_.poll_while_running([this] { poll(); });
}

RunStopGuard::~RunStopGuard() {
    stop_.poll_while_running({});
    qApp->removeEventFilter(this);
}

void RunStopGuard::poll() {
    // The first look takes what waits at once: a key pressed as the run began is not lost.
    if (since_.isValid() && since_.elapsed() < 40) return;
    since_.start();
    QCoreApplication::processEvents();
}

bool RunStopGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) stop_.request();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // Only a click on Stop does something; it stops when released, as a button does.
            if (watched == stop_button_ && event->type() == QEvent::MouseButtonRelease) stop_.request();
            return true;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
    }
}

}  // namespace qvr
