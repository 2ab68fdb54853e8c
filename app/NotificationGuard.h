#pragma once

#include "app/ProgrammerDlg.h"

// While it lives, notifications of the dialog's controls do not reach their handlers: what the
// program puts into a control is not a user's action.
class NotificationGuard {
public:
    explicit NotificationGuard(CProgrammerDlg& dialog)
        : dialog_(dialog), previous_(dialog.ignoreNotifications_) {
        dialog_.ignoreNotifications_ = true;
    }
    ~NotificationGuard() { dialog_.ignoreNotifications_ = previous_; }
    NotificationGuard(const NotificationGuard&) = delete;
    NotificationGuard& operator=(const NotificationGuard&) = delete;

private:
    CProgrammerDlg& dialog_;
    bool previous_;
};
