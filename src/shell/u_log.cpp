#include "shell/u_log.h"

#include <QAction>
#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/file_error.h"
#include "common/file_names.h"
#include "desktop/busy_cursor.h"
#include "desktop/desktop.h"
#include "desktop/text_box.h"
#include "engine/u_gen.h"
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
    // UTF-8, as the file names beside them.
    return {locale.toString(now.date(), QLocale::ShortFormat).toStdString(),
            locale.toString(now.time(), QString::fromStdString(time_format)).toStdString()};
}

std::string out_of_memory_reading(const std::string& path) {
    return file_error_text("Cannot read file", path, ENOMEM);
}

// The lines of the text box one at a time, as bytes for the file. Shift+Enter while editing puts a line
// separator inside a paragraph: it is a line end all the same.
class ShownLines {
  public:
    explicit ShownLines(const QPlainTextEdit* box)
        : box_(box), block_(box->document()->isEmpty() ? QTextBlock() : box->document()->begin()) {}

    bool operator()(std::string& line) {
        while (part_ == parts_.size()) {
            if (!block_.isValid()) return false;
            parts_ = block_.text().split(QChar::LineSeparator);
            part_ = 0;
            number_ = block_.blockNumber();
            block_ = block_.next();
        }
        line = line_part_bytes(box_, number_, parts_[part_++]);
        return true;
    }

  private:
    const QPlainTextEdit* box_;
    QTextBlock block_;
    int number_ = 0;
    QStringList parts_;
    qsizetype part_ = 0;
};

}  // namespace

Tfrm_log::Tfrm_log(Desktop& desktop, std::string log_path, const Tfrm_gen& gen)
    : desktop_(desktop),
      log_path_(std::move(log_path)),
      log_file_(log_path_),
      gen_(gen),
      ui_(std::make_unique<Ui::Tfrm_log>()) {
    ui_->setupUi(this);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette red = ui_->mem_expl->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->mem_expl->setPalette(red);
    connect(ui_->mem_log->document(), &QTextDocument::contentsChange, this, &Tfrm_log::line_up_columns);
    connect(ui_->chk_edit, &QCheckBox::toggled, this, &Tfrm_log::chk_editClick);
    connect(ui_->cmd_gen, &QPushButton::clicked, this, &Tfrm_log::cmd_genClick);
    load_job_log_file();
}

Tfrm_log::~Tfrm_log() = default;

QPlainTextEdit* Tfrm_log::job_log_view() const { return ui_->mem_log; }

void Tfrm_log::load_job_log_file() {
    const std::string& path = log_path_;
    if (!file_exists(path)) return;
    std::string unlocked;  // told once the hourglass is gone
    try {
        BusyCursor busy;
        TextBoxFill fill(ui_->mem_log);
        unlocked = log_file_.load([&fill](std::string_view line) { fill.add(line); });
        fill.finish();
    } catch (const FileError& e) {
        clear_box(ui_->mem_log);
        keep_unreadable_log(e.what());
    } catch (const std::bad_alloc&) {
        clear_box(ui_->mem_log);
        keep_unreadable_log(out_of_memory_reading(path));
    }
    if (!unlocked.empty()) show_general_error(desktop_, unlocked);
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

void Tfrm_log::add_job_line(std::uint64_t bad_values) {
    insert_lines(ui_->mem_log, 0, {job_log_line(gen_.settings(), clock_now(), bad_values)});
    ++jobs_since_save_;
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
        BusyCursor busy;
        const std::vector<std::string> others = log_file_.save(ShownLines(ui_->mem_log), jobs_since_save_);
        const int on_top =
            static_cast<int>(std::min(jobs_since_save_, static_cast<std::size_t>(line_count(ui_->mem_log))));
        insert_lines(ui_->mem_log, on_top, others);
        jobs_since_save_ = 0;
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
    } catch (const std::bad_alloc&) {
        show_general_error(desktop_, file_error_text("Cannot create file", path, ENOMEM));
    }
}

void Tfrm_log::line_up_columns(int position, int /*removed*/, int added) {
    QTextDocument* document = ui_->mem_log->document();
    const QFontMetrics metrics(ui_->mem_log->font());
    const int widest_char = std::max(1, metrics.maxWidth());
    bool wider = false;
    const QTextBlock last = document->findBlock(position + added);
    for (QTextBlock block = document->findBlock(position); block.isValid(); block = block.next()) {
        for (const QString& line : block.text().split(QChar::LineSeparator)) {
            const QStringList items = line.split(QLatin1Char('\t'));
            if (column_widths_.size() < static_cast<std::size_t>(items.size()))
                column_widths_.resize(static_cast<std::size_t>(items.size()), 0);
            for (qsizetype i = 0; i < items.size(); ++i) {
                int& column = column_widths_[static_cast<std::size_t>(i)];
                // Measuring is slow on a long log; an item too short to be wider is not measured.
                if (items[i].size() * widest_char <= column) continue;
                const int width = metrics.horizontalAdvance(items[i]);
                if (width <= column) continue;
                column = width;
                wider = true;
            }
        }
        if (block == last) break;
    }
    if (!wider) return;
    // Columns only grow: a shorter item gone leaves its column as wide, so the text does not jump about
    // while it is edited.
    const int gap = 3 * metrics.horizontalAdvance(QLatin1Char(' '));
    QList<QTextOption::Tab> stops;
    qreal x = 0;
    for (std::size_t i = 0; i + 1 < column_widths_.size(); ++i)
        stops.append(QTextOption::Tab(x += column_widths_[i] + gap, QTextOption::LeftTab));
    QTextOption option = document->defaultTextOption();
    option.setTabs(stops);
    document->setDefaultTextOption(option);
}

void Tfrm_log::chk_editClick() {
    const bool editing = ui_->chk_edit->isChecked();
    ui_->mem_log->setReadOnly(!editing);
    if (editing) emit editing_allowed();
}

void Tfrm_log::cmd_genClick() { emit general_data_asked(); }

}  // namespace qvr
