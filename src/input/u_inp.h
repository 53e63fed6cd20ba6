#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/available_memory.h"

namespace Ui {
class Tfrm_inp;
}

namespace qvr {

class Desktop;
class Tfrm_gen;
class Tfrm_view;

/// The filling-mode dialog shown when an input file is opened: how much of the file the input view shows
/// (nothing, the first lines, all of it). It is created once and keeps its choice and number.
class Tfrm_inp : public QDialog {
    Q_OBJECT

  public:
    /// A dialog of `parent` (the main window) that fills `view`'s input view and sets `gen`'s input file;
    /// `memory` says how much memory the input view may still take.
    Tfrm_inp(Desktop& desktop, Tfrm_gen& gen, Tfrm_view& view, const MemoryProbe& memory, QWidget* parent);
    ~Tfrm_inp() override;

    /// Places the dialog 100 pixels right of and below the parent's corner and shows it modally for
    /// `path`; its OK button fills the input view. Returns when the dialog has been left.
    void ask_filling(const std::string& path);

    /// How the dialog is shown modally. Tests replace it by filling the controls and pressing OK, since
    /// a modal loop would wait for a user.
    std::function<void(Tfrm_inp&)> show_modal = [](Tfrm_inp& dialog) { dialog.exec(); };

  public slots:
    void cmd_ookeClick();

    /// The dialog is left through its OK button only: Escape and closing it do nothing.
    void reject() override;

  private:
    /// Fills the input view as the chosen mode says; throws FileError or std::bad_alloc.
    void fill_input_view(std::int64_t max_lines);

    Desktop& desktop_;
    Tfrm_gen& gen_;
    Tfrm_view& view_;
    const MemoryProbe& memory_;  // how much memory the input view may still take
    std::unique_ptr<Ui::Tfrm_inp> ui_;
    std::string path_;
};

}  // namespace qvr
