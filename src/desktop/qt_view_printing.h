#pragma once

class QPlainTextEdit;

namespace qvr {

class Desktop;
class LineView;
struct FontChoice;

/// Prints a text box as the Result and Log menus do: asks for the printer (cancel: nothing happens),
/// starts the job, asks for a fixed-pitch font (starting from and remembered in `printer_font`; cancel
/// keeps the printer's font), prints two lines of one space and then every line of the box, the first
/// included, each after three spaces, and reports "Print completed". A printer failure goes to the
/// general error box.
void print_view(Desktop& desktop, FontChoice& printer_font, const QPlainTextEdit* box);
void print_view(Desktop& desktop, FontChoice& printer_font, const LineView* box);

}  // namespace qvr
