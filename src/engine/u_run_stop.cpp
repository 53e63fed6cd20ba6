#include "engine/u_run_stop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

#include "engine/u_gen.h"

namespace qvr {

RunStopGuard::RunStopGuard(Tfrm_gen& gen, StopRequest& stop) : gen_(gen), stop_(stop) {
    stop_.clear();
    qApp->installEventFilter(this);
    since_.start();
}

RunStopGuard::~RunStopGuard() { qApp->removeEventFilter(this); }

void RunStopGuard::poll() {
    if (since_.elapsed() < 40) return;
    since_.restart();
    QCoreApplication::processEvents();
}

bool RunStopGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) stop_.request();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            if (watched == gen_.stop_button()) {
                if (event->type() == QEvent::MouseButtonRelease) stop_.request();
                return true;
            }
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
