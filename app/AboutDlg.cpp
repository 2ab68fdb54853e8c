#include "app/AboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/ControlIds.h"
#include "app/DialogTemplate.h"

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    const BuiltDialog built = BuildDialog(*this, AboutDialogTemplate);
    auto* picture = qobject_cast<QLabel*>(built.inOrder.front());
    picture->setPixmap(icon.pixmap(32, 32));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(qobject_cast<QPushButton*>(built.byId.at(Ctl::Exit)), &QPushButton::clicked, this,
            &QDialog::accept);
}
