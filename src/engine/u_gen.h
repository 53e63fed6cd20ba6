#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QWidget>
#include <memory>

#include "desktop/path_text.h"
#include "engine/job_settings.h"

namespace Ui {
class Tfrm_gen;
}

namespace qvr {

/// The General data window: the job settings as the contents of its controls, the rules that keep the
/// options consistent while they are edited, and the progress gauge of the runs.
class Tfrm_gen : public QWidget {
    Q_OBJECT

  public:
    Tfrm_gen();
    ~Tfrm_gen() override;

    /// The settings as the controls hold them now.
    JobSettings settings() const;

    void set_input_path(const std::string& path);
    void set_output_path(const std::string& path);
    void set_definition_file_name(const std::string& name);
    void set_sample_text(const std::string& text);
    /// The input and result file names as typed.
    QString input_path_text() const;
    QString output_path_text() const;
    /// Shows the input analysis' message as the input file box's tip.
    void set_input_tip(const QString& text);

    /// The input encoding the File > Input command proposes for the file it opens.
    void set_encoding(TextEncoding encoding);

    /// Switching a tick box by program applies the editing rules exactly as a click does.
    void set_fast(bool on);
    void set_header(bool on);
    void set_sorted(bool on);
    void set_unique(bool on);

    /// The progress gauge: shown or hidden, bar colour, position held within 0 to 100. The gauge repaints
    /// at once when its position changes, since the runs do not let the event loop run.
    void show_gauge(bool visible);
    void set_gauge_colour(const QColor& colour);
    void set_gauge(int position);
    int gauge() const;
    /// The button beside the gauge that ends a run; shown with the gauge.
    QAbstractButton* stop_button() const;

  signals:
    /// The input encoding was changed, by the user or by program.
    void encoding_changed();
    /// The input file, its encoding or the trim option changed: what a preview of the cut reads.
    void cut_source_changed();

  public slots:
    void chk_dlmClick();
    void chk_qckClick();
    void chk_sortClick();
    void chk_unikClick();
    void format_changed();
    void cbo_rfmChange();

  private:
    void set_fonts();

    std::unique_ptr<Ui::Tfrm_gen> ui_;
    ShownPath input_shown_;
    ShownPath output_shown_;
    ShownPath definition_shown_;
};

}  // namespace qvr
