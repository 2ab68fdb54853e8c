#pragma once

#include <QWidget>

class QTextBrowser;

// A small browser window for the HTML help file.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the file at the anchor; a file that cannot be read shows a note saying so.
    void Open(const QString& helpFile, const QString& anchor);

private:
    QTextBrowser* browser_;
};
