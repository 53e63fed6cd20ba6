#include "shell/u_log_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "desktop/qt_view_printing.h"
#include "shell/u_log.h"

namespace qvr {

LogCommands::LogCommands(Desktop& desktop, Tfrm_log& log, FontChoice& printer_font)
    : desktop_(desktop), log_(log), printer_font_(printer_font) {}

void LogCommands::select_all() { log_.job_log_view()->selectAll(); }

void LogCommands::copy() {
    // Plain text only, with its tabs, so that the lines paste into a worksheet as rows of cells.
    // With nothing selected the clipboard keeps what it holds, as Result > Copy does.
    if (!log_.job_log_view()->textCursor().hasSelection()) return;
    QString text = log_.job_log_view()->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(text);
}

void LogCommands::print() { print_view(desktop_, printer_font_, log_.job_log_view()); }

void LogCommands::save() { log_.save_job_log(); }

}  // namespace qvr
