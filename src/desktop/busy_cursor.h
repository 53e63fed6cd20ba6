#pragma once

#include <QApplication>

namespace qvr {

/// The hourglass while a long command runs; restored by restore() or when it goes out of scope, also by
/// an exception, so no way out of a command leaves the busy cursor behind.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { restore(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    void restore() {
        if (!busy_) return;
        busy_ = false;
        QApplication::restoreOverrideCursor();
    }

  private:
    bool busy_ = true;
};

}  // namespace qvr
