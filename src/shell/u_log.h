#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "shell/job_log_file.h"

namespace Ui {
class Tfrm_log;
}
class QPlainTextEdit;

namespace qvr {

class Desktop;
class Tfrm_gen;

/// The Previous jobs window: the job log, newest job first, loaded from the log file at start-up and
/// written back whole after every run, on Log > "Save" and at the end of the program.
class Tfrm_log : public QWidget {
    Q_OBJECT

  public:
    /// Creates the window and loads the job log from `log_path`; the job lines are made from `gen`'s
    /// settings.
    Tfrm_log(Desktop& desktop, std::string log_path, const Tfrm_gen& gen);
    ~Tfrm_log() override;

    /// The text box of the job log (for Log > "Select all", "Copy" and "Print").
    QPlainTextEdit* job_log_view() const;

    /// Puts the summary line of the run that just finished (from the job settings and the clock) above
    /// all earlier lines, with the count of values its typed fields could not read. Does not write the file.
    void add_job_line(std::uint64_t bad_values = 0);

    /// Writes the whole job log to the log file, replacing it safely; a failure is shown in the general
    /// error box and the text stays in the window.
    void save_job_log();

  signals:
    /// The job log became editable, so Log > "Save" is offered from now on.
    void editing_allowed();
    /// The button "General data" asks for that window in front.
    void general_data_asked();

  public slots:
    void chk_editClick();
    void cmd_genClick();

  private:
    void load_job_log_file();
    /// Sets the tab stops so that the tab-separated items of every line stand in columns, each as wide
    /// as its widest item; called for each change of the text.
    void line_up_columns(int position, int removed, int added);
    /// Keeps a log that exists but cannot be read out of the way of the next save, and says where.
    void keep_unreadable_log(const std::string& reason);

    Desktop& desktop_;
    const std::string log_path_;
    JobLogFile log_file_;
    /// Job lines put on top since the last load or save: the newest, kept above other copies' lines.
    std::size_t jobs_since_save_ = 0;
    const Tfrm_gen& gen_;
    std::unique_ptr<Ui::Tfrm_log> ui_;
    /// Set when an unreadable log could not be moved aside: it must then never be replaced.
    bool stored_log_kept_in_place_ = false;
    /// The widest item of each column so far, in pixels.
    std::vector<int> column_widths_;
};

}  // namespace qvr
