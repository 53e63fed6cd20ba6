#include "shell/u_log.h"

#include <QAction>
#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/file_error.h"
#include "common/file_names.h"
#include "common/output_file.h"
#include "desktop/desktop.h"
#include "desktop/text_box.h"
#include "desktop/widget_text.h"
#include "engine/u_gen.h"
#include "shell/job_log_file.h"
#include "shell/job_log_line.h"
#include "ui_u_log.h"

namespace qvr {

namespace {

// The job's date and time as the user's regional settings write them, the time with its seconds but
// without a time zone.
JobClock clock_now() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const std::string time_format =
        time_format_without_zone(locale.timeFormat(QLocale::LongFormat).toStdString());
    return {from_widget_text(locale.toString(now.date(), QLocale::ShortFormat)),
            from_widget_text(locale.toString(now.time(), QString::fromStdString(time_format)))};
}

std::string out_of_memory_reading(const std::string& path) {
    return file_error_text("Cannot read file", path, ENOMEM);
}

}  // namespace

Tfrm_log::Tfrm_log(Desktop& desktop, std::string log_path, const Tfrm_gen& gen)
    : desktop_(desktop), log_path_(std::move(log_path)), gen_(gen), ui_(std::make_unique<Ui::Tfrm_log>()) {
    ui_->setupUi(this);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette red = ui_->mem_expl->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->mem_expl->setPalette(red);
    connect(ui_->chk_edit, &QCheckBox::toggled, this, &Tfrm_log::chk_editClick);
    connect(ui_->cmd_gen, &QPushButton::clicked, this, &Tfrm_log::cmd_genClick);
    load_job_log_file();
}

Tfrm_log::~Tfrm_log() = default;

QPlainTextEdit* Tfrm_log::job_log_view() const { return ui_->mem_log; }

void Tfrm_log::load_job_log_file() {
    const std::string& path = log_path_;
    if (!file_exists(path)) return;
    try {
        set_lines(ui_->mem_log, job_log_lines(load_job_log(path)));
    } catch (const FileError& e) {
        keep_unreadable_log(e.what());
    } catch (const std::bad_alloc&) {
        clear_box(ui_->mem_log);
        keep_unreadable_log(out_of_memory_reading(path));
    }
}

void Tfrm_log::keep_unreadable_log(const std::string& reason) {
    const std::string& path = log_path_;
    const std::string stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    std::string message = with_full_stop(reason) + " The job log starts empty";
    try {
        message += "; the file was kept as " + set_aside_unreadable(path, stamp);
    } catch (const FileError& e) {
        stored_log_kept_in_place_ = true;
        message += " and the file is left as it is: " + with_full_stop(e.what()) +
                   " The job log will not be saved until the program starts again";
    }
    show_general_error(desktop_, message);
}

void Tfrm_log::add_job_line() {
    const std::string line = job_log_line(gen_.settings(), clock_now());
    QTextDocument* doc = ui_->mem_log->document();
    const bool was_empty = doc->isEmpty();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(to_widget_text(line));
    if (!was_empty) cursor.insertBlock();
}

std::vector<std::string> Tfrm_log::job_log_lines_shown() const {
    std::vector<std::string> lines;
    const QTextDocument* doc = ui_->mem_log->document();
    if (doc->isEmpty()) return lines;
    // Shift+Enter while editing puts a line separator inside a paragraph: it is a line end all the same.
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        for (const QString& part : block.text().split(QChar::LineSeparator))
            lines.push_back(from_widget_text(part));
    return lines;
}

void Tfrm_log::save_job_log() {
    const std::string& path = log_path_;
    if (stored_log_kept_in_place_) {
        show_general_error(desktop_,
                           file_error_text("Cannot create file", path,
                                           "The file there could not be read when the program started and is "
                                           "left as it is"));
        return;
    }
    try {
        replace_file_safely(path, job_log_bytes(job_log_lines_shown()));
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
    } catch (const std::bad_alloc&) {
        show_general_error(desktop_, file_error_text("Cannot create file", path, ENOMEM));
    }
}

void Tfrm_log::chk_editClick() {
    const bool editing = ui_->chk_edit->isChecked();
    ui_->mem_log->setReadOnly(!editing);
    if (editing) emit editing_allowed();
}

void Tfrm_log::cmd_genClick() { emit general_data_asked(); }

}  // namespace qvr
