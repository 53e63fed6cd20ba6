#pragma once

#include <QString>
#include <optional>
#include <string>

class QPrinter;

namespace qvr {

/// The application's name: the title of the general error box, and the program's name on the desktop.
inline constexpr const char* kApplicationTitle = "Quarvel - Multi-colums text file extraction";

/// The kind of a message box sets its caption and icon.
enum class BoxKind {
    information,    ///< "Information"
    confirmation,   ///< "Confirm"
    warning,        ///< "Warning"
    error,          ///< "Error"
    general_error,  ///< the application title, stop icon: failures a command did not foresee
};

/// Buttons of a message box, combinable as flags; the answer is one of them.
enum BoxButton { kNoButton = 0, kYes = 1, kNo = 2, kOk = 4, kCancel = 8 };

/// The caption that a box of `kind` carries.
QString box_caption(BoxKind kind);

/// What a shared file dialog keeps between uses, as the program's open and save dialogs do.
struct FileDialogState {
    QString filter;  ///< "Text file|*.txt" style: description, bar, pattern
    /// Added to a typed name without extension (save dialog), or the extension of the file type the user
    /// chose there; may be empty.
    QString default_ext;
    QString file_name;  ///< proposed name; the chosen full path after a confirmed dialog (as to_path_text)
    QString initial_dir;
};

/// A font as the font dialog hands it over.
struct FontChoice {
    QString family;
    int point_size = 8;
};

/// Everything that waits for the user or leaves the program. The program uses the Qt implementation;
/// tests install a scripted one, so no window code calls a dialog or the desktop directly.
class Desktop {
  public:
    virtual ~Desktop() = default;

    /// A modal message box; returns the button pressed (kOk for a box that only has OK).
    virtual BoxButton message_box(BoxKind kind, const QString& text, int buttons) = 0;

    /// A one-line input box: the text confirmed with OK, nothing when cancelled.
    virtual std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                             const QString& initial) = 0;

    /// The file-open dialog; on OK `state.file_name` is the chosen full path. False when cancelled.
    virtual bool open_file(FileDialogState& state) = 0;

    /// The file-save dialog; on OK `state.file_name` is the chosen full path (with the default extension
    /// added to a name without one). An existing file is chosen without a question: the commands replace
    /// it safely. False when cancelled.
    virtual bool save_file(FileDialogState& state) = 0;

    /// The font dialog, offering fixed-pitch fonts only and starting from `font`. False when cancelled.
    virtual bool choose_font(FontChoice& font) = 0;

    /// The print dialog for `printer`. False when cancelled.
    virtual bool choose_printer(QPrinter& printer) = 0;

    /// Hands a link to the desktop's default handler.
    virtual void open_link(const QString& link) = 0;

    /// Shows the help file at `anchor`.
    virtual void show_help(const QString& file, const QString& anchor) = 0;

    /// Shows a report in a read-only text window from which it can be copied; the program goes on
    /// meanwhile.
    virtual void show_text(const QString& caption, const QString& text) = 0;
};

/// Names the application for the desktop. Only the name: a display name would be appended to every
/// window's and box's caption.
void name_application();

/// The general error box: the system's message, with a full stop added where it lacks one, under the
/// application title with a stop icon and one OK button.
void show_general_error(Desktop& desktop, const std::string& system_message);

}  // namespace qvr
