#pragma once

#include <QDialog>

class QIcon;

// "Info about Chipsmith Programmer": the icon, the version, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
};
