#include "desktop/qt_help_viewer.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qvr {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
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
    QFile help(file);
    if (!help.open(QIODevice::ReadOnly)) {
        browser_->clearHistory();
        browser_->setSource(QUrl());
        browser_->setPlainText(
            QStringLiteral("The help file %1 cannot be opened: %2.").arg(file, help.errorString()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(anchor);
    browser_->setSource(url, QTextDocument::HtmlResource);
}

}  // namespace qvr
