#include "input/u_preview.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "common/file_error.h"
#include "desktop/widget_text.h"
#include "input/cut_preview.h"
#include "input/window_place.h"

namespace qvr {

namespace {
/// Smaller than this, the preview would show too little to be of use beside the main window.
constexpr int kLeastWidth = 320;
constexpr int kLeastHeight = 160;
}  // namespace

/// The preview's lines as a grid: the field names as titles, the line numbers down the side.
class PreviewModel : public QAbstractTableModel {
  public:
    void set(CutPreview preview) {
        beginResetModel();
        preview_ = std::move(preview);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(preview_.rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(preview_.names.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        return to_widget_text(
            preview_.rows[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())],
            preview_.encoding);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        if (section < 0 || section >= columnCount()) return {};
        return to_widget_text(preview_.names[static_cast<std::size_t>(section)]);
    }

  private:
    CutPreview preview_;
};

Tfrm_preview::Tfrm_preview(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool),
      lbl_prev_(new QLabel(this)),
      grid_(new QTableView(this)),
      model_(std::make_unique<PreviewModel>()) {
    setObjectName(QStringLiteral("frm_preview"));
    setWindowTitle(QStringLiteral("Preview of the cut"));
    lbl_prev_->setObjectName(QStringLiteral("lbl_prev"));
    grid_->setObjectName(QStringLiteral("grd_prev"));
    grid_->setModel(model_.get());
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    QFont cells(QStringLiteral("Courier"), 10);
    cells.setStyleHint(QFont::TypeWriter);
    grid_->setFont(cells);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_prev_);
    layout->addWidget(grid_);
    resize(720, 360);
}

Tfrm_preview::~Tfrm_preview() { grid_->setModel(nullptr); }

void Tfrm_preview::refresh(const FieldTable& table, const JobSettings& settings) {
    try {
        CutPreview preview =
            cut_preview(settings.input_path, table, settings.trim, kPreviewLines, settings.encoding);
        lbl_prev_->setText(QStringLiteral("First %1 lines of %2, cut into %3 fields%4")
                               .arg(preview.rows.size())
                               .arg(to_widget_text(settings.input_path))
                               .arg(preview.names.size())
                               .arg(settings.trim ? QStringLiteral(", trimmed") : QString()));
        model_->set(std::move(preview));
    } catch (const FileError& e) {
        lbl_prev_->setText(to_widget_text(with_full_stop(e.what())));
        model_->set({table.names(), {}});
    }
    grid_->resizeColumnsToContents();
}

void Tfrm_preview::show_beside(QWidget* owner) {
    if (!placed_) {
        placed_ = true;
        // This window's frame is not known before it is shown; the owner's is the best guess.
        const QRect frame = owner->frameGeometry(), inside = owner->geometry();
        const int frame_width = frame.width() - inside.width(),
                  frame_height = frame.height() - inside.height();
        int clear_above = inside.top();
        if (const QMenuBar* bar = owner->findChild<QMenuBar*>(); bar && bar->isVisible())
            clear_above = bar->mapToGlobal(QPoint(0, bar->height())).y();
        const QRect screen = owner->screen()->availableGeometry();
        const ScreenRect place =
            place_beside({frame.x(), frame.y(), frame.width(), frame.height()}, clear_above,
                         {0, 0, width() + frame_width, height() + frame_height},
                         {0, 0, kLeastWidth + frame_width, kLeastHeight + frame_height},
                         {screen.x(), screen.y(), screen.width(), screen.height()});
        move(place.x, place.y);
        resize(place.width - frame_width, place.height - frame_height);
    }
    show();
    raise();
}

QString Tfrm_preview::message() const { return lbl_prev_->text(); }

void Tfrm_preview::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

}  // namespace qvr
