#pragma once

class QPlainTextEdit;

namespace qvr {

class LineView;
class Tmdi_qvr;

/// Prints a text box as the Result and Log menus do: asks for the printer (cancel: nothing happens),
/// starts the job, asks for a fixed-pitch font (remembered in the main window's `dlgfnt_out`; cancel
/// keeps the printer's font), prints two lines of one space and then the box's lines from the second to
/// the last, each after three spaces, and reports "Print completed". A printer failure goes to the
/// general error box.
void print_view(Tmdi_qvr& main, const QPlainTextEdit* box);
void print_view(Tmdi_qvr& main, const LineView* box);

}  // namespace qvr
