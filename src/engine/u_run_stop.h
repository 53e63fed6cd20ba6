#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "engine/stop_request.h"

namespace qvr {

class Tfrm_gen;

/// Lets the user end a long run that holds the user-interface thread: while it lives, poll() lets the
/// window take events now and then, and of the user's input only Esc and a click on the General data
/// window's Stop button get through, both setting the stop request. Everything else (menus, typing,
/// closing a window) waits, so nothing else runs while the run is under way.
class RunStopGuard : public QObject {
  public:
    RunStopGuard(Tfrm_gen& gen, StopRequest& stop);
    ~RunStopGuard() override;

    /// Takes the window's waiting events, at most every few hundredths of a second.
    void poll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Tfrm_gen& gen_;
    StopRequest& stop_;
    QElapsedTimer since_;
};

}  // namespace qvr
