#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "common/stop_request.h"

namespace qvr {

/// Lets the user end a long run that holds the user-interface thread: while it lives, the run's looks at
/// `stop` (and poll()) let the window take events now and then, and of the user's input only Esc and a
/// click on `stop_button` get through, both setting the stop request. Everything else (menus, typing,
/// closing a window) waits, so nothing else runs while the run is under way.
class RunStopGuard : public QObject {
  public:
    RunStopGuard(const QObject* stop_button, StopRequest& stop);
    ~RunStopGuard() override;

    /// Takes the window's waiting events, at most every few hundredths of a second.
    void poll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const QObject* stop_button_;
    StopRequest& stop_;
    QElapsedTimer since_;
};

}  // namespace qvr
