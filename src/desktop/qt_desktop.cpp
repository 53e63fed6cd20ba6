#include "desktop/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QUrl>
#include <QVBoxLayout>

#include "common/file_error.h"
#include "desktop/path_text.h"
#include "desktop/qt_help_viewer.h"
#include "desktop/qt_run_stop.h"

namespace qvr {

QString box_caption(BoxKind kind) {
    switch (kind) {
        case BoxKind::information:
            return QStringLiteral("Information");
        case BoxKind::confirmation:
            return QStringLiteral("Confirm");
        case BoxKind::warning:
            return QStringLiteral("Warning");
        case BoxKind::error:
            return QStringLiteral("Error");
        case BoxKind::general_error:
            break;
    }
    return QString::fromLatin1(kApplicationTitle);
}

void name_application() { QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle)); }

void show_general_error(Desktop& desktop, const std::string& system_message) {
    // The system's message names the file it concerns.
    desktop.message_box(BoxKind::general_error, to_path_text(with_full_stop(system_message)), kOk);
}

QString qt_name_filter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") +
                       QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QStringLiteral(")");
    return filters.join(QStringLiteral(";;"));
}

int caption_room(const QString& caption) {
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    const QFontMetrics metrics(title);
    // The window manager's title bar also holds an icon and up to three buttons, each about a line high.
    return metrics.horizontalAdvance(caption) + 4 * (metrics.height() + 12);
}

namespace {
/// A box as narrow as a short text would have its caption elided by the window manager ("Inf…on").
void fit_caption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(caption_room(box.windowTitle()), 0), grid->rowCount(), 0, 1,
                  grid->columnCount());
}
}  // namespace

BoxButton QtDesktop::message_box(BoxKind kind, const QString& text, int buttons) {
    const auto lifted = RunStopGuard::box_may_show("message box");
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == BoxKind::confirmation) icon = QMessageBox::Question;
    if (kind == BoxKind::warning) icon = QMessageBox::Warning;
    if (kind == BoxKind::error || kind == BoxKind::general_error) icon = QMessageBox::Critical;
    QMessageBox box(icon, box_caption(kind), text, QMessageBox::NoButton, parent_);
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    QAbstractButton* ok = nullptr;
    QAbstractButton* cancel = nullptr;
    if (buttons & kYes) yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    if (buttons & kNo) no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    if (buttons & kOk || buttons == kNoButton)
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (buttons & kCancel) cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    fit_caption(box);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes) return kYes;
    if (clicked && clicked == no) return kNo;
    if (clicked && clicked == cancel) return kCancel;
    if (clicked && clicked == ok) return kOk;
    // Closed by Escape or the close box: the most cautious answer the box offers.
    if (no) return kNo;
    if (cancel) return kCancel;
    return kOk;
}

std::optional<QString> QtDesktop::input_box(const QString& caption, const QString& prompt,
                                            const QString& initial) {
    const auto lifted = RunStopGuard::box_may_show("input box");
    bool ok = false;
    QString answer = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

namespace {
bool run_file_dialog(QWidget* parent, FileDialogState& state, QFileDialog::AcceptMode mode) {
    const auto lifted = RunStopGuard::box_may_show("file dialog");
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // The commands replace a chosen file safely (the former one stays until the new one is complete).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(qt_name_filter(state.filter));
    if (!state.default_ext.isEmpty()) {
        dialog.setDefaultSuffix(state.default_ext);
        // A name typed without extension takes the one of the file type chosen ("*.csv" gives csv).
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const qsizetype at = filter.indexOf(QStringLiteral("(*."));
            if (at < 0) return;
            const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ ;)]")), at + 3);
            dialog.setDefaultSuffix(filter.mid(at + 3, end < 0 ? -1 : end - at - 3));
        });
    }
    QString dir = state.initial_dir;
    if (!state.file_name.isEmpty()) {
        QFileInfo info(state.file_name);
        if (info.isAbsolute()) dir = info.absolutePath();
        dialog.selectFile(info.fileName());
    }
    if (!dir.isEmpty()) dialog.setDirectory(dir);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    state.file_name = dialog.selectedFiles().constFirst();
    return true;
}
}  // namespace

bool QtDesktop::open_file(FileDialogState& state) {
    return run_file_dialog(parent_, state, QFileDialog::AcceptOpen);
}

bool QtDesktop::save_file(FileDialogState& state) {
    return run_file_dialog(parent_, state, QFileDialog::AcceptSave);
}

bool QtDesktop::choose_font(FontChoice& font) {
    const auto lifted = RunStopGuard::box_may_show("font dialog");
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, QFont(font.family, font.point_size), parent_, QString(),
                                        QFontDialog::MonospacedFonts);
    if (!ok) return false;
    font.family = chosen.family();
    font.point_size = chosen.pointSize();
    return true;
}

bool QtDesktop::choose_printer(QPrinter& printer) {
    const auto lifted = RunStopGuard::box_may_show("print dialog");
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

void QtDesktop::open_link(const QString& link) { QDesktopServices::openUrl(QUrl(link)); }

void QtDesktop::show_help(const QString& file, const QString& anchor) {
    const auto lifted = RunStopGuard::box_may_show("help window");
    // One viewer, brought back to the front on the next request rather than a new window each time.
    if (!help_viewer_) help_viewer_ = new HelpViewer(parent_);
    help_viewer_->open(file, anchor);
    help_viewer_->show();
    help_viewer_->raise();
    help_viewer_->activateWindow();
}

void QtDesktop::show_text(const QString& caption, const QString& text) {
    const auto lifted = RunStopGuard::box_may_show("text window");
    // One window, refilled by the next report, so that reports do not pile up.
    if (!text_window_) {
        text_window_ = new QDialog(parent_);
        text_window_->resize(640, 360);
        auto* box = new QPlainTextEdit(text_window_);
        box->setObjectName(QStringLiteral("mem_text"));
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, text_window_);
        QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
        QObject::connect(copy, &QPushButton::clicked, box, [box] {
            const QTextCursor cursor = box->textCursor();
            QApplication::clipboard()->setText(
                cursor.hasSelection()
                    ? cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
                    : box->toPlainText());
        });
        QObject::connect(buttons, &QDialogButtonBox::rejected, text_window_, &QDialog::hide);
        auto* layout = new QVBoxLayout(text_window_);
        layout->addWidget(box);
        layout->addWidget(buttons);
    }
    text_window_->setWindowTitle(caption);
    text_window_->findChild<QPlainTextEdit*>()->setPlainText(text);
    text_window_->show();
    text_window_->raise();
    text_window_->activateWindow();
}

}  // namespace qvr
