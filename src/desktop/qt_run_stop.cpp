#include "desktop/qt_run_stop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace qvr {

namespace {
RunStopGuard* g_active = nullptr;

std::function<void(const char*)>& box_under_guard_handler() {
    static std::function<void(const char*)> handler = [](const char* what) {
        std::fprintf(stderr, "quarvel: a %s was shown while a run held the window\n", what);
    };
    return handler;
}
}  // namespace

RunStopGuard::RunStopGuard(const QWidget* stop_button, StopRequest& stop)
    : stop_button_(stop_button), stop_(stop) {
    stop_.clear();
    qApp->installEventFilter(this);
    stop_.poll_while_running([this] { poll(); });
    g_active = this;
}

RunStopGuard::~RunStopGuard() {
    g_active = nullptr;
    stop_.poll_while_running({});
    qApp->removeEventFilter(this);
}

bool RunStopGuard::active() { return g_active != nullptr; }

std::shared_ptr<void> RunStopGuard::box_may_show(const char* what) {
    if (!g_active) return {};
    box_under_guard_handler()(what);
    RunStopGuard* guard = g_active;
    qApp->removeEventFilter(guard);
    return std::shared_ptr<void>(nullptr, [guard](void*) {
        if (g_active == guard) qApp->installEventFilter(guard);
    });
}

void RunStopGuard::on_box_under_guard(std::function<void(const char* what)> handler) {
    box_under_guard_handler() = std::move(handler);
}

void RunStopGuard::poll() {
    // The first look takes what waits at once: a key pressed as the run began is not lost.
    if (since_.isValid() && since_.elapsed() < 40) return;
    since_.start();
    QCoreApplication::processEvents();
}

// A click reaches the top-level window first, at the window's place of the pointer, and only then the
// widget under it; both steps must pass for a click on Stop.
bool RunStopGuard::on_stop_button(QObject* watched, const QEvent* event) const {
    if (!stop_button_ || !stop_button_->isVisible()) return false;
    if (watched == stop_button_) return true;
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window) return false;
    const QWidget* top = stop_button_->window();
    if (!top || top->windowHandle() != window) return false;
    const QPoint at = static_cast<const QMouseEvent*>(event)->position().toPoint();
    const QWidget* under = top->childAt(at);
    return under && (under == stop_button_ || stop_button_->isAncestorOf(under));
}

bool RunStopGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) stop_.request();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // Only a click on Stop does something; it stops when released on the button, as a button does.
            if (!on_stop_button(watched, event)) return true;
            if (watched == stop_button_ && event->type() == QEvent::MouseButtonRelease &&
                stop_button_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                stop_.request();
            return false;
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
