#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>

#include "common/stop_request.h"

class QWidget;

namespace qvr {

/// Lets the user end a long run that holds the user-interface thread: while it lives, the run's looks at
/// `stop` (and poll()) let the window take events now and then, and of the user's input only Esc and a
/// click on `stop_button` get through, both setting the stop request. Everything else (menus, typing,
/// closing a window) waits, so nothing else runs while the run is under way.
///
/// A guard lives only as long as the run's loop: a box shown under it could take no key and no click.
/// The desktop layer therefore asks box_may_show() before every box and dialog.
class RunStopGuard : public QObject {
  public:
    RunStopGuard(const QWidget* stop_button, StopRequest& stop);
    ~RunStopGuard() override;

    /// Takes the window's waiting events, at most every few hundredths of a second.
    void poll();

    /// True while a guard lives.
    static bool active();

    /// Called by the desktop layer before it shows a box or dialog. Under a guard this is a fault of the
    /// calling command: the handler hears of it (tests fail there), and the guard's filter is lifted until
    /// the returned value goes, so that the user can still answer the box.
    [[nodiscard]] static std::shared_ptr<void> box_may_show(const char* what);

    /// What hears of a box shown under a guard; by default a warning on the standard error.
    static void on_box_under_guard(std::function<void(const char* what)> handler);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool on_stop_button(QObject* watched, const QEvent* event) const;

    const QWidget* stop_button_;
    StopRequest& stop_;
    QElapsedTimer since_;
};

}  // namespace qvr
