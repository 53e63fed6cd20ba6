#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/job_settings.h"
#include "fields/field_table.h"
#include "fields/layout_set.h"

namespace Ui {
class Tfrm_view;
}
namespace qvr {

class LineView;
class Desktop;
class Tfrm_preview;

/// Columns selected within one line of the input view, counted as the view counts them.
struct ColumnSpan {
    std::int32_t first = 0;  ///< 1-based
    std::int32_t length = 0;
};

/// What the view window reads from the other windows for its field colours and its preview.
struct ViewSources {
    const FieldTable* fields = nullptr;
    std::function<JobSettings()> settings;
    /// The tables per record type, when the fields are given so; each line is coloured by its type's.
    std::function<std::optional<LayoutSet>()> record_types;
};

/// The view window: the input view (mem_inp) in input mode, the result view (mem_out) in result mode.
class Tfrm_view : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_view(Desktop& desktop);
    ~Tfrm_view() override;

    LineView* input_view() const;
    LineView* result_view() const;

    /// Result mode: the result view with the result file's name, the lines it shows and the lines the
    /// last run generated.
    void show_result_mode(const QString& output_path, std::int64_t generated_line_count);

    // Input mode.

    /// Shows the input view with the input file's path and its line count; `view_height` is the input
    /// view's height, smaller in the side-by-side layout so that the window fits above the field table.
    void show_input_mode(const QString& input_path, int view_height);

    /// The input view's lines as the file's bytes.
    std::vector<std::string> input_lines() const;

    /// Checks or unchecks "Rule inserted" as a click would, inserting or removing the ruler.
    void set_ruler(bool on);

    /// The field table and the job settings the field colours and the preview show.
    void set_sources(ViewSources sources);

    /// The selection of the input view when it lies within one line; nothing otherwise.
    std::optional<ColumnSpan> selected_columns() const;

    /// The preview of the cut, shown while "Preview of the cut" is checked.
    Tfrm_preview* preview() const { return preview_; }

  signals:
    /// "Add selection as field" (the input view's menu, or Ins in the input view).
    void add_field_asked();

  public slots:
    void chk_ruleClick();
    void chk_tintClick();
    void chk_prevClick();
    /// The field table changed: the colours and the preview follow it.
    void fields_changed();
    /// A job setting the preview depends on (the input, trimming) changed.
    void settings_changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    /// Handles a key typed in the input view; true when it was Enter, which it answers itself.
    bool mem_inpKeyPress(int key);
    void show_input_line_count();
    void show_cursor_place();
    void show_field_colours();
    void refresh_preview();

    Desktop& desktop_;
    std::unique_ptr<Ui::Tfrm_view> ui_;
    ViewSources sources_;
    Tfrm_preview* preview_;
};

}  // namespace qvr
