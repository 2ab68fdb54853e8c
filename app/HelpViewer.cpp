#include "app/HelpViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/WindowPlacement.h"

namespace {

const QSize PreferredSize(640, 560);

}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Chipsmith Programmer Help"));
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* about = new QPushButton(QStringLiteral("Info about Chipsmith..."), this);
    about->setAutoDefault(false);
    connect(about, &QPushButton::clicked, this, &HelpViewer::AboutRequested);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 6, 6, 6);
    buttons->addStretch();
    buttons->addWidget(about);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(browser_);
    layout->addLayout(buttons);
    resize(PreferredSize);
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
    if (!isVisible()) {
        Place();
    }
    show();
    raise();
    activateWindow();
}

void HelpViewer::Place() {
    const QWidget* owner = parentWidget();
    QScreen* screen = owner != nullptr ? owner->screen() : this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    // This window's frame is not known before it is shown; the main window's is a fair guess.
    QMargins frame;
    QRect over = available;
    if (owner != nullptr && owner->isVisible()) {
        const QRect outer = owner->frameGeometry();
        const QRect inner = owner->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
        over = outer;
    }
    const QRect placed = PlaceOnScreen(size().grownBy(frame), over, available);
    resize(placed.size().shrunkBy(frame));
    move(placed.topLeft());
}
