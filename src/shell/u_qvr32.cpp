#include "shell/u_qvr32.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include "common/file_error.h"
#include "desktop/focus_marks.h"
#include "desktop/fonts.h"
#include "desktop/path_text.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"
#include "input/u_inp.h"
#include "input/u_view.h"
#include "shell/u_log.h"
#include "ui_u_qvr32.h"

namespace qvr {

namespace {
constexpr int kMainWidth = 729;
constexpr int kMainHeight = 519;
}  // namespace

Tmdi_qvr::Tmdi_qvr(Desktop& desktop, const std::string& program_dir, const MemoryProbe& memory,
                   QWidget* parent)
    : QMainWindow(parent), desktop_(desktop), memory_(memory), ui_(std::make_unique<Ui::Tmdi_qvr>()) {
    install_font_stand_ins();
    install_focus_marks();
    ui_->setupUi(this);
    values_.program_dir = program_dir;
    values_.places = program_places(program_dir);
    ui_->mdi_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    FormCreate();
    connect_menu();
    create_children();
    create_commands();
    connect(qApp, &QApplication::focusChanged, this, &Tmdi_qvr::remember_focus);
    // Text boxes claim keys such as Ctrl+Z (undo) or Ctrl+D for themselves; the menu comes first.
    qApp->installEventFilter(this);
}

Tmdi_qvr::~Tmdi_qvr() {
    // The windows close after this object's members are gone; their focus moves must not reach it.
    disconnect(qApp, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    for (QMdiSubWindow* frame : ui_->mdi_area->subWindowList()) frame->removeEventFilter(this);
}

void Tmdi_qvr::FormCreate() {
    // The log path and the dialogs' folder are set even when the configuration file fails, since the
    // rest of the program relies on them.
    try {
        apply_config_file(values_.places.config_path, values_.links);
    } catch (const FileError& e) {
        show_general_error(desktop_, e.what());
    }
    setWindowTitle(windowTitle() + QString::fromLatin1(kVersionSuffix));
    opdlg_file.filter = QStringLiteral("Text file|*.txt");
    opdlg_file.initial_dir = to_path_text(values_.places.dialog_dir);
    SVDLG_FILE.initial_dir = to_path_text(values_.places.dialog_dir);
    values_.log_path = values_.places.log_path;
    if (values_.log_path != values_.program_dir + "QVR32.LOG") make_parent_folders(values_.log_path);

    resize(kMainWidth, kMainHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kMainWidth / 2, kMainHeight / 2));
    }
}

QMdiSubWindow* Tmdi_qvr::add_child(QWidget* child) {
    const QSize form = child->size();
    QMdiSubWindow* frame = ui_->mdi_area->addSubWindow(child);
    // Each window lives from start-up to the end: closing its frame minimizes it (see eventFilter).
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->installEventFilter(this);
    frame->setObjectName(child->objectName() + QStringLiteral("_frame"));
    frame->setWindowTitle(child->windowTitle());
    // The frame carries the child's caption, which the child may change later (the view window does).
    connect(child, &QWidget::windowTitleChanged, frame, &QWidget::setWindowTitle);
    frame->show();
    // Restored, a window gets the size its form was laid out for, inside its frame's borders.
    QStyleOptionTitleBar title;
    title.initFrom(frame);
    const int border = frame->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
    const int title_height = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, frame);
    frame->resize(form + QSize(2 * border, title_height + border));
    return frame;
}

void Tmdi_qvr::create_children() {
    // The General data window is made first, since the job log and the filling dialog read it, but framed
    // last, so that its frame ends up in front.
    frm_gen = new Tfrm_gen();
    frm_view = new Tfrm_view(desktop_);
    add_child(frm_view)->showMinimized();
    frm_dlm = new Tfrm_dlm(desktop_);
    connect(frm_dlm, &Tfrm_dlm::general_data_asked, this, &Tmdi_qvr::show_general_data_from_fields);
    add_child(frm_dlm)->showMinimized();
    frm_inp = new Tfrm_inp(desktop_, *frm_gen, *frm_view, memory_, this);
    frm_log = new Tfrm_log(desktop_, values_.log_path, *frm_gen);
    connect(frm_log, &Tfrm_log::general_data_asked, this, &Tmdi_qvr::show_general_data);
    // Save stays offered once edits have been possible, even after the box is cleared again.
    connect(frm_log, &Tfrm_log::editing_allowed, this, [this] { ui_->mnu_lsv->setVisible(true); });
    add_child(frm_log)->showNormal();
    QMdiSubWindow* gen = add_child(frm_gen);
    gen->showMaximized();
    ui_->mdi_area->setActiveSubWindow(gen);
}

QMdiSubWindow* Tmdi_qvr::frame_of(QWidget* child) const {
    return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

void Tmdi_qvr::arrange(QWidget* maximized, std::initializer_list<QWidget*> minimized, bool maximize_first) {
    QMdiSubWindow* target = frame_of(maximized);
    begin_arranging();
    if (maximize_first) target->showMaximized();
    for (QWidget* w : minimized) frame_of(w)->showMinimized();
    if (!maximize_first) target->showMaximized();
    ui_->mdi_area->setActiveSubWindow(target);
    end_arranging(maximized);
}

void Tmdi_qvr::begin_arranging() {
    remember_focus(QApplication::focusWidget(), nullptr);
    arranging_ = true;
}

void Tmdi_qvr::end_arranging(QWidget* front) {
    arranging_ = false;
    give_keyboard(front);
}

QWidget* Tmdi_qvr::child_of(QWidget* w) const {
    for (; w; w = w->parentWidget())
        for (QWidget* child : {static_cast<QWidget*>(frm_gen), static_cast<QWidget*>(frm_dlm),
                               static_cast<QWidget*>(frm_view), static_cast<QWidget*>(frm_log)})
            if (w == child) return w;
    return nullptr;
}

void Tmdi_qvr::remember_focus(QWidget* old, QWidget* now) {
    // Minimizing a window passes its focus on from control to control; only the user's moves count.
    if (arranging_) return;
    QWidget* child = child_of(old);
    if (child && child_of(now) != child) last_focus_[child] = old;
}

void Tmdi_qvr::give_keyboard(QWidget* child) {
    QWidget* focus = last_focus_[child];
    if (focus && !(focus->isVisibleTo(child) && focus->isEnabled())) focus = nullptr;
    if (!focus) focus = child->focusWidget();
    for (QWidget* w = child->nextInFocusChain(); !focus && w && w != child; w = w->nextInFocusChain())
        if (child->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()) focus = w;
    if (focus) focus->setFocus();
}

void Tmdi_qvr::show_general_data() { arrange(frm_gen, {frm_log, frm_view, frm_dlm}, false); }
void Tmdi_qvr::show_fields_definition() { arrange(frm_dlm, {frm_log, frm_view, frm_gen}, false); }
void Tmdi_qvr::show_view_window() { arrange(frm_view, {frm_log, frm_dlm, frm_gen}, false); }
void Tmdi_qvr::show_previous_jobs() { arrange(frm_log, {frm_dlm, frm_gen, frm_view}, true); }

void Tmdi_qvr::show_general_data_from_fields() {
    begin_arranging();
    frame_of(frm_view)->showMinimized();
    frame_of(frm_dlm)->showMinimized();
    QMdiSubWindow* general = frame_of(frm_gen);
    general->showMaximized();
    ui_->mdi_area->setActiveSubWindow(general);
    end_arranging(frm_gen);
}

void Tmdi_qvr::enable_after_run(bool dbase_export) {
    ui_->pdn_res->menuAction()->setEnabled(true);
    ui_->mnu_wvr->setEnabled(true);
    if (dbase_export) ui_->mnu_dbf->setEnabled(true);
}

void Tmdi_qvr::input_view_emptied() { ui_->mnu_vwi->setEnabled(false); }

void Tmdi_qvr::connect_menu() {
    const Ui::Tmdi_qvr& u = *ui_;
    const std::pair<QAction*, void (Tmdi_qvr::*)()> commands[] = {
        {u.mnu_inp, &Tmdi_qvr::mnu_inpClick}, {u.mnu_ana, &Tmdi_qvr::mnu_anaClick},
        {u.mnu_out, &Tmdi_qvr::mnu_outClick}, {u.mnu_go, &Tmdi_qvr::mnu_goClick},
        {u.mnu_dbf, &Tmdi_qvr::mnu_dbfClick}, {u.mnu_end, &Tmdi_qvr::mnu_endClick},
        {u.mnu_fdn, &Tmdi_qvr::mnu_fdnClick}, {u.mnu_def, &Tmdi_qvr::mnu_defClick},
        {u.Recall1, &Tmdi_qvr::Recall1Click}, {u.SaveAs1, &Tmdi_qvr::SaveAs1Click},
        {u.mnu_fdt, &Tmdi_qvr::mnu_fdtClick}, {u.mnu_fck, &Tmdi_qvr::mnu_fckClick},
        {u.mnu_rvw, &Tmdi_qvr::mnu_rvwClick}, {u.mnu_sel, &Tmdi_qvr::mnu_selClick},
        {u.mnu_cpy, &Tmdi_qvr::mnu_cpyClick}, {u.mnu_pri, &Tmdi_qvr::mnu_priClick},
        {u.mnu_lvw, &Tmdi_qvr::mnu_lvwClick}, {u.mnu_lsa, &Tmdi_qvr::mnu_lsaClick},
        {u.mnu_lcp, &Tmdi_qvr::mnu_lcpClick}, {u.mnu_lpt, &Tmdi_qvr::mnu_lptClick},
        {u.mnu_lsv, &Tmdi_qvr::mnu_lsvClick}, {u.Resize1, &Tmdi_qvr::Resize1Click},
        {u.mnu_sge, &Tmdi_qvr::mnu_sgeClick}, {u.mnu_vde, &Tmdi_qvr::mnu_vdeClick},
        {u.mnu_vwi, &Tmdi_qvr::mnu_vwiClick}, {u.mnu_wid, &Tmdi_qvr::mnu_widClick},
        {u.mnu_wvr, &Tmdi_qvr::mnu_wvrClick}, {u.mnu_log, &Tmdi_qvr::mnu_logClick},
        {u.mnu_idx, &Tmdi_qvr::mnu_idxClick}, {u.mnu_web, &Tmdi_qvr::mnu_webClick},
        {u.mnu_wmc, &Tmdi_qvr::mnu_wmcClick}, {u.mnu_mail, &Tmdi_qvr::mnu_mailClick},
        {u.mnu_abt, &Tmdi_qvr::mnu_abtClick},
    };
    for (const auto& [action, slot] : commands) {
        connect(action, &QAction::triggered, this, slot);
        menu_actions_.push_back(action);
    }
    // Shortcuts work from every child window of the frame.
    for (QAction* action : findChildren<QAction*>()) action->setShortcutContext(Qt::ApplicationShortcut);
    // The Result menu starts disabled as a whole; the first finished run enables it.
    u.pdn_res->menuAction()->setEnabled(false);
}

void Tmdi_qvr::mnu_endClick() { end_program(); }

void Tmdi_qvr::end_program() {
    if (ended_ || !field_table_settled()) return;
    ended_ = true;
    frm_log->save_job_log();
    emit program_ended(1);
}

bool Tmdi_qvr::field_table_settled() {
    if (!frm_dlm->table_changed()) return true;
    switch (desktop_.message_box(
        BoxKind::confirmation,
        QStringLiteral("The fields definition has been modified. Save it before leaving?"),
        kYes | kNo | kCancel)) {
        case kNo:
            return true;
        case kYes:
            SaveAs1Click();
            return !frm_dlm->table_changed();  // a cancelled or failed save stays
        default:
            return false;
    }
}

void Tmdi_qvr::closeEvent(QCloseEvent* event) {
    end_program();
    if (ended_)
        event->accept();
    else
        event->ignore();
}

bool Tmdi_qvr::is_menu_shortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const QAction* action : menu_actions_)
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true;
    return false;
}

bool Tmdi_qvr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(watched); frame && frame->mdiArea() == ui_->mdi_area) {
            event->ignore();
            frame->showMinimized();
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Left unclaimed, the key goes to the menu's shortcut instead of the control.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && is_menu_shortcut(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmdi_qvr::mnu_defClick() { show_fields_definition(); }
void Tmdi_qvr::mnu_lvwClick() { show_previous_jobs(); }
void Tmdi_qvr::mnu_sgeClick() { show_general_data(); }
void Tmdi_qvr::mnu_vdeClick() { show_fields_definition(); }
void Tmdi_qvr::mnu_logClick() { show_previous_jobs(); }

void Tmdi_qvr::Resize1Click() { resize(kMainWidth, kMainHeight); }

}  // namespace qvr
