#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "common/available_memory.h"
#include "dbase/u_dbase_commands.h"
#include "desktop/desktop.h"
#include "engine/u_extract_commands.h"
#include "engine/u_result_commands.h"
#include "fields/u_field_commands.h"
#include "input/u_input_commands.h"
#include "shell/program_values.h"
#include "shell/u_help_commands.h"
#include "shell/u_log_commands.h"

class QKeyEvent;
class QMdiSubWindow;

namespace Ui {
class Tmdi_qvr;
}

namespace qvr {

class Tfrm_view;
class Tfrm_dlm;
class Tfrm_inp;
class Tfrm_log;
class Tfrm_gen;

/// The main window: menu bar, the four child windows and the filling-mode dialog, the shared dialogs'
/// state and the values the whole program shares. Each menu command is one slot that hands over to its
/// subsystem's commands (u_qvr32_commands.cpp).
class Tmdi_qvr : public QMainWindow {
    Q_OBJECT

  public:
    /// Starts the program's windows: reads the configuration file in `program_dir` (ending in "/"), then
    /// creates the child windows in their order. Every box and dialog goes through `desktop`.
    Tmdi_qvr(Desktop& desktop, const std::string& program_dir,
             const MemoryProbe& memory = MemoryProbe::machine(), QWidget* parent = nullptr);
    ~Tmdi_qvr() override;

    Desktop& desktop() { return desktop_; }
    ProgramValues& values() { return values_; }

    // The windows, each created once at start-up and living until the end.
    Tfrm_view* frm_view = nullptr;
    Tfrm_dlm* frm_dlm = nullptr;
    Tfrm_inp* frm_inp = nullptr;
    Tfrm_log* frm_log = nullptr;
    Tfrm_gen* frm_gen = nullptr;

    // The shared dialogs keep their settings between uses.
    FileDialogState opdlg_file;
    FileDialogState SVDLG_FILE;
    FontChoice dlgfnt_out{QStringLiteral("MS Sans Serif"), 8};

    /// The four ways of showing a child window: the target maximized, the other three minimized.
    void show_general_data();
    void show_fields_definition();
    void show_view_window();
    void show_previous_jobs();

    /// Shows the view window in result mode: the result view with its file name and its two counts.
    void show_result_view();

    /// A finished run offers the Result menu and the result view; the dBase export too when `dbase_export`.
    void enable_after_run(bool dbase_export);

    /// The input view was emptied, so there is nothing to show in it.
    void input_view_emptied();

    /// The memory an extract, a recalled definition file or the input view may use.
    const MemoryProbe& memory() const { return memory_; }

    /// The sub-window that frames a child window (for its state, position and size).
    QMdiSubWindow* frame_of(QWidget* child) const;

    /// Ends the program: offers to save a changed field table (Cancel stays), saves the job log, then
    /// asks for the end with exit status 1.
    void end_program();

    /// Opens `path` as File > "Input" does after its dialog (the program's command-line argument).
    void open_input_file(const std::string& path);

  signals:
    /// The program asks to end with this exit status; main() ends the event loop with it.
    void program_ended(int status);

  public slots:
    // File
    void mnu_inpClick();
    void mnu_anaClick();
    void mnu_outClick();
    void mnu_goClick();
    void mnu_dbfClick();
    void mnu_endClick();
    // Fields definition
    void mnu_fdnClick();
    void mnu_defClick();
    void Recall1Click();
    void SaveAs1Click();
    void mnu_fdtClick();
    void mnu_fckClick();
    // Result
    void mnu_rvwClick();
    void mnu_selClick();
    void mnu_cpyClick();
    void mnu_priClick();
    // Log
    void mnu_lvwClick();
    void mnu_lsaClick();
    void mnu_lcpClick();
    void mnu_lptClick();
    void mnu_lsvClick();
    // Window
    void Resize1Click();
    void mnu_sgeClick();
    void mnu_vdeClick();
    void mnu_vwiClick();
    void mnu_widClick();
    void mnu_wvrClick();
    void mnu_logClick();
    // Help
    void mnu_idxClick();
    void mnu_webClick();
    void mnu_wmcClick();
    void mnu_mailClick();
    void mnu_abtClick();

  protected:
    void closeEvent(QCloseEvent* event) override;
    /// Keeps the child windows alive when their frames are closed, and the menu shortcuts ahead of the
    /// controls' own keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    void create_children();
    void create_commands();
    /// The view window's field colours and preview follow the field table and the job settings.
    void connect_view_to_fields();
    void connect_menu();
    QMdiSubWindow* add_child(QWidget* child);
    /// The General data window in front, the fields and view windows minimized, the job log left as it is.
    void show_general_data_from_fields();
    void arrange(QWidget* maximized, std::initializer_list<QWidget*> minimized, bool maximize_first);
    /// The child window that holds `w`, or null.
    QWidget* child_of(QWidget* w) const;
    /// Notes which control of a child had the keyboard when it went to another window.
    void remember_focus(QWidget* old, QWidget* now);
    /// Around a change of the windows' states: the focus moves it makes are not the user's, and the window
    /// in front gets the keyboard back at the end.
    void begin_arranging();
    void end_arranging(QWidget* front);
    /// Gives the keyboard back to the control of `child` that had it last, or else to its first one.
    void give_keyboard(QWidget* child);
    bool is_menu_shortcut(const QKeyEvent& key) const;
    /// False when the user chose to stay rather than leave a changed field table unsaved.
    bool field_table_settled();

    Desktop& desktop_;
    const MemoryProbe& memory_;
    std::unique_ptr<Ui::Tmdi_qvr> ui_;
    ProgramValues values_;
    bool ended_ = false;
    std::unique_ptr<ExtractCommands> extract_;
    std::unique_ptr<ResultCommands> result_;
    std::unique_ptr<FieldCommands> fields_;
    std::unique_ptr<InputCommands> input_;
    std::unique_ptr<DbaseCommands> dbase_;
    std::unique_ptr<LogCommands> log_;
    std::unique_ptr<HelpCommands> help_;
    std::vector<QAction*> menu_actions_;
    std::map<QWidget*, QPointer<QWidget>> last_focus_;
    bool arranging_ = false;  // focus moves made by the window switch itself are not the user's
};

}  // namespace qvr
