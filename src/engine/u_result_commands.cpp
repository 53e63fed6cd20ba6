#include "engine/u_result_commands.h"

#include <QClipboard>
#include <QGuiApplication>

#include "desktop/qt_line_view.h"
#include "desktop/qt_view_printing.h"

namespace qvr {

ResultCommands::ResultCommands(Desktop& desktop, LineView& result_view, FontChoice& printer_font)
    : desktop_(desktop), result_view_(result_view), printer_font_(printer_font) {}

void ResultCommands::select_all() { result_view_.selectAll(); }

void ResultCommands::copy() {
    // With nothing selected the clipboard keeps what it holds; the message comes either way.
    if (result_view_.has_selection()) QGuiApplication::clipboard()->setText(result_view_.selected_text());
    desktop_.message_box(
        BoxKind::information,
        QStringLiteral("Selection copied to clipboard and ready to be pasted into another application."),
        kOk);
}

void ResultCommands::print() { print_view(desktop_, printer_font_, &result_view_); }

}  // namespace qvr
