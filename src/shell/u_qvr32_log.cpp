#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "desktop/qt_view_printing.h"
#include "shell/u_log.h"
#include "shell/u_qvr32.h"

namespace qvr {

void Tmdi_qvr::mnu_lsaClick() { frm_log->job_log_view()->selectAll(); }

void Tmdi_qvr::mnu_lcpClick() {
    // Plain text only, with its tabs, so that the lines paste into a worksheet as rows of cells.
    QString text = frm_log->job_log_view()->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QGuiApplication::clipboard()->setText(text);
}

void Tmdi_qvr::mnu_lptClick() { print_view(desktop_, dlgfnt_out, frm_log->job_log_view()); }

void Tmdi_qvr::mnu_lsvClick() { frm_log->save_job_log(); }

}  // namespace qvr
