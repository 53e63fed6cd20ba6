#pragma once

#include <QDialog>
#include <QPointer>

#include "desktop/desktop.h"

class QWidget;

namespace qvr {

class HelpViewer;

/// The desktop layer on the real desktop: Qt's boxes and dialogs, the desktop's link handler.
class QtDesktop : public Desktop {
  public:
    /// Boxes and dialogs are modal over `parent` (the main window), which may be set after creation.
    explicit QtDesktop(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    BoxButton message_box(BoxKind kind, const QString& text, int buttons) override;
    std::optional<QString> input_box(const QString& caption, const QString& prompt,
                                     const QString& initial) override;
    bool open_file(FileDialogState& state) override;
    bool save_file(FileDialogState& state) override;
    bool choose_font(FontChoice& font) override;
    bool choose_printer(QPrinter& printer) override;
    void open_link(const QString& link) override;
    void show_help(const QString& file, const QString& anchor) override;
    void show_text(const QString& caption, const QString& text) override;

  private:
    QWidget* parent_;
    QPointer<HelpViewer> help_viewer_;
    QPointer<QDialog> text_window_;
};

/// The width a window needs so that the window manager shows `caption` whole in its title bar.
int caption_room(const QString& caption);

/// "Text file|*.txt" (description, bar, pattern, possibly repeated) as a Qt name filter list.
QString qt_name_filter(const QString& filter);

}  // namespace qvr
