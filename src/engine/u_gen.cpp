#include "engine/u_gen.h"

#include <QPalette>

#include "desktop/path_text.h"
#include "desktop/widget_text.h"
#include "ui_u_gen.h"

namespace qvr {

namespace {
void set_pixel_font(QWidget* w, const char* family, int pixels, bool bold = false, bool italic = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    w->setFont(font);
}
}  // namespace

Tfrm_gen::Tfrm_gen() : ui_(std::make_unique<Ui::Tfrm_gen>()) {
    ui_->setupUi(this);
    set_fonts();
    QPalette red = ui_->txt_limit->palette();
    red.setColor(QPalette::Text, Qt::red);
    ui_->txt_limit->setPalette(red);
    ui_->txt_limit->setCursorPosition(0);
    connect(ui_->chk_dlm, &QCheckBox::toggled, this, &Tfrm_gen::chk_dlmClick);
    connect(ui_->chk_qck, &QCheckBox::toggled, this, &Tfrm_gen::chk_qckClick);
    connect(ui_->chk_sort, &QCheckBox::toggled, this, &Tfrm_gen::chk_sortClick);
    connect(ui_->chk_unik, &QCheckBox::toggled, this, &Tfrm_gen::chk_unikClick);
    connect(ui_->cbo_enc, &QComboBox::currentIndexChanged, this, &Tfrm_gen::encoding_changed);
    connect(ui_->cbo_enc, &QComboBox::currentIndexChanged, this, &Tfrm_gen::cut_source_changed);
    connect(ui_->txt_inp, &QLineEdit::textChanged, this, &Tfrm_gen::cut_source_changed);
    connect(ui_->chk_trim, &QCheckBox::toggled, this, &Tfrm_gen::cut_source_changed);
    connect(ui_->cbo_ofmt, &QComboBox::currentIndexChanged, this, &Tfrm_gen::format_changed);
    connect(ui_->cbo_rfm, &QComboBox::currentIndexChanged, this, &Tfrm_gen::cbo_rfmChange);
}

Tfrm_gen::~Tfrm_gen() = default;

void Tfrm_gen::set_fonts() {
    set_pixel_font(this, "MS Sans Serif", 11);
    for (QWidget* w : {static_cast<QWidget*>(ui_->txt_dlm), static_cast<QWidget*>(ui_->txt_ptit),
                       static_cast<QWidget*>(ui_->txt_gran), static_cast<QWidget*>(ui_->txt_ctn)})
        set_pixel_font(w, "Courier New", 13);
    for (QWidget* w : {ui_->lbl_inp, ui_->lbl_dlm, ui_->lbl_dfl}) set_pixel_font(w, "MS Sans Serif", 12);
    set_pixel_font(ui_->lbl_START, "MS Sans Serif", 19, true, true);
    set_pixel_font(ui_->lbl_RESULT, "MS Sans Serif", 19, true, true);
    set_pixel_font(ui_->chk_qck, "MS Sans Serif", 13, true);
}

JobSettings Tfrm_gen::settings() const {
    JobSettings s;
    s.input_path = input_shown_.read(ui_->txt_inp->text());
    s.separator_text = from_widget_text(ui_->txt_dlm->text());
    s.tab_separator = ui_->chk_dlm->isChecked();
    s.definition_file_name = definition_shown_.read(ui_->txt_flm->text());
    s.fast = ui_->chk_qck->isChecked();
    s.output_path = output_shown_.read(ui_->txt_out->text());
    s.sample_text = from_widget_text(ui_->txt_spl->text());
    s.header = ui_->chk_head->isChecked();
    s.sorted = ui_->chk_sort->isChecked();
    s.unique = ui_->chk_unik->isChecked();
    s.trim = ui_->chk_trim->isChecked();
    s.numbers = ui_->chk_nbr->isChecked();
    s.lower_bound = from_widget_text(ui_->txt_ptit->text());
    s.upper_bound = from_widget_text(ui_->txt_gran->text());
    s.contains = from_widget_text(ui_->txt_ctn->text());
    s.encoding = ui_->cbo_enc->currentIndex() == 1 ? TextEncoding::utf8 : TextEncoding::cp1252;
    s.quote_fields = ui_->chk_quote->isChecked();
    s.strict = ui_->chk_strict->isChecked();
    constexpr OutputEncoding kWrittenIn[] = {OutputEncoding::same, OutputEncoding::utf8,
                                             OutputEncoding::cp1252};
    s.output_encoding = kWrittenIn[std::clamp(ui_->cbo_oenc->currentIndex(), 0, 2)];
    constexpr const char* kFormats[] = {"text", "sqlite", "xlsx"};
    s.output_format = kFormats[std::clamp(ui_->cbo_ofmt->currentIndex(), 0, 2)];
    if (s.output_format != "text") s.output_table = from_widget_text(ui_->txt_tbl->text().trimmed());
    constexpr RecordFormat kFramed[] = {RecordFormat::lines, RecordFormat::fixed, RecordFormat::rdw};
    s.framing_problem = read_framing(
        {kFramed[std::clamp(ui_->cbo_rfm->currentIndex(), 0, 2)], from_widget_text(ui_->txt_rln->text()),
         from_widget_text(ui_->txt_skf->text()), from_widget_text(ui_->txt_skl->text())},
        s.framing);
    return s;
}

void Tfrm_gen::set_input_path(const std::string& path) { ui_->txt_inp->setText(input_shown_.show(path)); }
void Tfrm_gen::set_output_path(const std::string& path) { ui_->txt_out->setText(output_shown_.show(path)); }
void Tfrm_gen::set_definition_file_name(const std::string& name) {
    ui_->txt_flm->setText(definition_shown_.show(name));
}
void Tfrm_gen::set_sample_text(const std::string& text) { ui_->txt_spl->setText(to_widget_text(text)); }
QString Tfrm_gen::input_path_text() const { return ui_->txt_inp->text(); }
QString Tfrm_gen::output_path_text() const { return ui_->txt_out->text(); }
void Tfrm_gen::set_input_tip(const QString& text) { ui_->txt_inp->setToolTip(text); }
void Tfrm_gen::set_fast(bool on) { ui_->chk_qck->setChecked(on); }
void Tfrm_gen::set_encoding(TextEncoding encoding) {
    ui_->cbo_enc->setCurrentIndex(encoding == TextEncoding::utf8 ? 1 : 0);
}
void Tfrm_gen::set_header(bool on) { ui_->chk_head->setChecked(on); }
void Tfrm_gen::set_sorted(bool on) { ui_->chk_sort->setChecked(on); }
void Tfrm_gen::set_unique(bool on) { ui_->chk_unik->setChecked(on); }

void Tfrm_gen::format_changed() {
    // The fast extract streams separated text: a database or a workbook is written by the standard run.
    const bool text = ui_->cbo_ofmt->currentIndex() == 0;
    if (!text) ui_->chk_qck->setChecked(false);
    ui_->chk_qck->setEnabled(text);
    ui_->txt_tbl->setEnabled(!text);
}

void Tfrm_gen::cbo_rfmChange() {
    // Only fixed-length records have a length to give; the others carry their own ends.
    ui_->txt_rln->setEnabled(ui_->cbo_rfm->currentIndex() == 1);
}

void Tfrm_gen::chk_unikClick() {
    // Dropping duplicates works on the sorted result, so unique brings sorted with it.
    if (ui_->chk_unik->isChecked()) ui_->chk_sort->setChecked(true);
}

void Tfrm_gen::chk_sortClick() {
    if (!ui_->chk_sort->isChecked()) ui_->chk_unik->setChecked(false);
}

void Tfrm_gen::chk_dlmClick() {
    ui_->txt_dlm->setText(ui_->chk_dlm->isChecked() ? QStringLiteral("<Tab>") : QStringLiteral(";"));
}

void Tfrm_gen::chk_qckClick() {
    const bool fast = ui_->chk_qck->isChecked();
    // The fast extract streams lines straight to the file, so it can neither head, sort, drop
    // duplicates nor number them.
    if (fast) {
        for (QCheckBox* box : {ui_->chk_head, ui_->chk_sort, ui_->chk_unik, ui_->chk_nbr}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    } else {
        ui_->chk_head->setChecked(true);
        ui_->chk_head->setEnabled(true);
        for (QCheckBox* box : {ui_->chk_sort, ui_->chk_unik, ui_->chk_nbr}) {
            box->setChecked(false);
            box->setEnabled(true);
        }
    }
}

void Tfrm_gen::show_gauge(bool visible) {
    ui_->gge_run->setVisible(visible);
    ui_->btn_stop->setVisible(visible);
}

QAbstractButton* Tfrm_gen::stop_button() const { return ui_->btn_stop; }

void Tfrm_gen::set_gauge_colour(const QColor& colour) {
    QPalette p = ui_->gge_run->palette();
    p.setColor(QPalette::Highlight, colour);
    ui_->gge_run->setPalette(p);
}

void Tfrm_gen::set_gauge(int position) {
    position = std::clamp(position, 0, 100);
    if (position == ui_->gge_run->value()) return;
    ui_->gge_run->setValue(position);
    if (ui_->gge_run->isVisible()) ui_->gge_run->repaint();
}

int Tfrm_gen::gauge() const { return ui_->gge_run->value(); }

}  // namespace qvr
