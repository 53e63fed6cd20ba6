#pragma once

#include <QDialog>

class QTextBrowser;

namespace qvr {

/// The program's own small help viewer, standing in for the platform's: the help file (an HTML
/// document) in a browser with Back, Forward and Contents. It reports itself a help file that cannot
/// be read, in its own page.
class HelpViewer : public QDialog {
    Q_OBJECT

  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    /// Shows `file` at its anchor `anchor`; Contents comes back to that place.
    void open(const QString& file, const QString& anchor);

    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace qvr
