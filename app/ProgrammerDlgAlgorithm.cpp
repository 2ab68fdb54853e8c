// The choice between the two programming algorithms: the window's classic one (a fixed budget of
// long pulses) and the chip maker's adaptive one (short pulses, each read back, then a margin),
// about ten times faster. It is a window-menu item, so that the dialog's layout stays as it is, and
// it is remembered apart from the settings file, whose bytes are fixed.

#include <QAction>
#include <QMenu>

#include "app/AlgorithmSetting.h"
#include "app/Desktop.h"
#include "app/ProgrammerDlg.h"

namespace {

const QString AdaptiveItemText = QStringLiteral("Fast programming (adaptive algorithm)");

}  // namespace

void CProgrammerDlg::AddAlgorithmMenuItem() {
    adaptiveAction_ = windowMenu_->addAction(AdaptiveItemText);
    adaptiveAction_->setCheckable(true);
    connect(adaptiveAction_, &QAction::triggered, this,
            [this](bool checked) { OnAdaptiveAlgorithm(checked); });
}

void CProgrammerDlg::SetAlgorithm(Algorithm algorithm) {
    algorithm_ = algorithm;
    adaptiveAction_->setChecked(algorithm == Algorithm::Fast);
}

void CProgrammerDlg::OnAdaptiveAlgorithm(bool chosen) {
    // Not in the middle of a run: its programming has chosen already.
    if (operationRunning_) {
        SetAlgorithm(algorithm_);
        return;
    }
    SetAlgorithm(chosen ? Algorithm::Fast : Algorithm::Classic);
    if (!algorithmPath_.isEmpty() && !SaveAlgorithm(algorithmPath_, algorithm_)) {
        desktop_.Tell(QStringLiteral("The choice of algorithm could not be saved in %1; it "
                                     "holds until the program ends.")
                          .arg(algorithmPath_),
                      Desktop::Icon::Stop);
    }
}

QString CProgrammerDlg::AlgorithmNote(Algorithm algorithm) {
    return algorithm == Algorithm::Fast ? QStringLiteral(" (adaptive)") : QString();
}
