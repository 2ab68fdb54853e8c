#include "app/HelpViewer.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Chipsmith Programmer Help"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpViewer::Open(const QString& helpFile, const QString& anchor) {
    if (!QFileInfo(helpFile).isReadable()) {
        browser_->setHtml(QStringLiteral("<p>The help file <b>%1</b> could not be read.</p>")
                              .arg(helpFile.toHtmlEscaped()));
    } else {
        // The file is HTML whatever its extension says.
        browser_->setSource(QUrl::fromLocalFile(helpFile), QTextDocument::HtmlResource);
        browser_->scrollToAnchor(anchor);
    }
    show();
    raise();
    activateWindow();
}
