#pragma once

#include <QWidget>

namespace qvr {

class Tmdi_qvr;

/// The Previous jobs window: the job log, newest job first.
class Tfrm_log : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_log(Tmdi_qvr& main);

    /// Puts the summary line of the run that just finished (from the job settings and the clock) above
    /// all earlier lines. Does not write the file.
    void add_job_line();

    /// Writes the whole job log to the log file.
    void save_job_log();

  private:
    Tmdi_qvr& main_;
};

}  // namespace qvr
