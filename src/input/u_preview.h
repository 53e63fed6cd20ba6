#pragma once

#include <QWidget>
#include <memory>

#include "engine/job_settings.h"
#include "fields/field_table.h"

class QLabel;
class QTableView;

namespace qvr {

class PreviewModel;

/// The preview of the cut: the first lines of the input cut with the field table and the job settings
/// as they stand, one column a field under its name. A window of its own beside the child windows, so
/// that showing it switches none of them.
class Tfrm_preview : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_preview(QWidget* parent = nullptr);
    ~Tfrm_preview() override;

    /// Cuts the first lines of the input named in `settings` again; a file that cannot be read is told in
    /// the window instead of the lines.
    void refresh(const FieldTable& table, const JobSettings& settings);

    /// Shows the window; the first time beside `owner` (the main window), clear of its menu bar. Later it
    /// opens where the user left it.
    void show_beside(QWidget* owner);

    /// What the window says above the table: the input and how many lines it shows, or why none.
    QString message() const;
    QTableView* grid() const { return grid_; }

  signals:
    /// The user closed the window.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* lbl_prev_;
    QTableView* grid_;
    std::unique_ptr<PreviewModel> model_;
    bool placed_ = false;
};

}  // namespace qvr
