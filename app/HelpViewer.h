#pragma once

#include <QWidget>

class QTextBrowser;

// A small browser window for the HTML help file. Given the main window as its parent, it stays
// in front of it and stays usable while the main window runs.
class HelpViewer : public QWidget {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the file at the anchor; a file that cannot be read shows a note saying so.
    void Open(const QString& helpFile, const QString& anchor);

signals:
    // The "Info about Chipsmith..." button: the window menu's about item, reachable from here
    // because desktops keep Alt+Space for their own menu.
    void AboutRequested();

private:
    // Over the main window and wholly on its screen.
    void Place();

    QTextBrowser* browser_;
};
