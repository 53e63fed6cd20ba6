#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class Tfrm_view;
}
class QPlainTextEdit;

namespace qvr {

class Tmdi_qvr;

/// The view window: the input view (mem_inp) in input mode, the result view (mem_out) in result mode.
class Tfrm_view : public QWidget {
    Q_OBJECT

  public:
    explicit Tfrm_view(Tmdi_qvr& main);
    ~Tfrm_view() override;

    const Ui::Tfrm_view& ui() const { return *ui_; }

    QPlainTextEdit* input_view() const;
    QPlainTextEdit* result_view() const;

  private:
    void FormCreate();

    Tmdi_qvr& main_;
    std::unique_ptr<Ui::Tfrm_view> ui_;
};

}  // namespace qvr
