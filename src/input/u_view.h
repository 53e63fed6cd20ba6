#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class Tfrm_view;
}
namespace qvr {

class LineView;
class Desktop;

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

  public slots:
    void chk_ruleClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormCreate();
    /// Handles a key typed in the input view; true when it was Enter, which it answers itself.
    bool mem_inpKeyPress(int key);
    void show_input_line_count();

    Desktop& desktop_;
    std::unique_ptr<Ui::Tfrm_view> ui_;
};

}  // namespace qvr
