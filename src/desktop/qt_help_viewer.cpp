#include "desktop/qt_help_viewer.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>

#include "common/file_error.h"
#include "common/regular_file.h"

namespace qvr {

namespace {

// A help file is a page to show, never more than this; anything bigger is no help file.
constexpr qint64 kMaxHelpFile = qint64{16} << 20;

// The help file's bytes, read as every reader of the program reads: a regular file only, so that a pipe
// in its place cannot stop the program for good nor a device (/dev/zero) fill its memory. Empty, with
// the reason in `why`, when it cannot be read.
std::optional<QByteArray> read_help_file(const QString& file, QString& why) {
    const std::string path = QFile::encodeName(file).toStdString();
    struct stat st {};
    QFile help;
    try {
        if (!help.open(open_regular_file(path, st), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            throw_file_error("Cannot open file", path, help.errorString().toStdString());
    } catch (const FileError& e) {
        why = QString::fromLocal8Bit(e.what()).mid(
            QString::fromLocal8Bit(file_error_text("Cannot open file", path, "")).size());
        return std::nullopt;
    }
    QByteArray bytes = help.read(kMaxHelpFile + 1);
    if (bytes.size() > kMaxHelpFile) {
        why = QStringLiteral("It is larger than 16 MB");
        return std::nullopt;
    }
    return bytes;
}

// Every page and picture of the help file is read through the same checks, so a file changed into a
// pipe after open() cannot stop the program either.
class HelpBrowser : public QTextBrowser {
  public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (!url.isLocalFile()) return QTextBrowser::loadResource(type, name);
        QString why;
        std::optional<QByteArray> bytes = read_help_file(url.toLocalFile(), why);
        if (!bytes) return {};
        return *bytes;
    }
};

}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new HelpBrowser(this)) {
    setObjectName(QStringLiteral("help_viewer"));
    setWindowTitle(QStringLiteral("Quarvel help"));
    resize(760, 580);
    browser_->setObjectName(QStringLiteral("help_browser"));
    // Pages of the help file only: links that leave it are the Help menu's business.
    browser_->setOpenExternalLinks(false);

    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    auto* forward = new QPushButton(QStringLiteral("&Forward"), this);
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, browser_, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back, forward, contents}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

void HelpViewer::open(const QString& file, const QString& anchor) {
    QString why;
    if (!read_help_file(file, why)) {
        browser_->clearHistory();
        browser_->setSource(QUrl());
        browser_->setPlainText(QStringLiteral("The help file %1 cannot be opened: %2.").arg(file, why));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(anchor);
    browser_->setSource(url, QTextDocument::HtmlResource);
}

}  // namespace qvr
