#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class Tfrm_log;
}
class QPlainTextEdit;

namespace qvr {

class Tmdi_qvr;

/// The Previous jobs window: the job log, newest job first, loaded from the log file at start-up and
/// written back whole after every run, on Log > "Save" and at the end of the program.
class Tfrm_log : public QWidget {
    Q_OBJECT

  public:
    /// Creates the window and loads the job log from the log file path, which start-up has set before.
    explicit Tfrm_log(Tmdi_qvr& main);
    ~Tfrm_log() override;

    const Ui::Tfrm_log& ui() const { return *ui_; }

    /// The text box of the job log (for Log > "Select all", "Copy" and "Print").
    QPlainTextEdit* job_log_view() const;

    /// Puts the summary line of the run that just finished (from the job settings and the clock) above
    /// all earlier lines. Does not write the file.
    void add_job_line();

    /// Writes the whole job log to the log file, replacing it safely; a failure is shown in the general
    /// error box and the text stays in the window.
    void save_job_log();

  public slots:
    void chk_editClick();
    void cmd_genClick();

  private:
    void load_job_log_file();
    /// Keeps a log that exists but cannot be read out of the way of the next save, and says where.
    void keep_unreadable_log(const std::string& reason);
    /// The lines of the text box as bytes, ready for the file.
    std::vector<std::string> job_log_lines_shown() const;

    Tmdi_qvr& main_;
    std::unique_ptr<Ui::Tfrm_log> ui_;
    /// Set when an unreadable log could not be moved aside: it must then never be replaced.
    bool stored_log_kept_in_place_ = false;
};

}  // namespace qvr
