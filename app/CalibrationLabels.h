#pragma once

#include <QString>

// The texts of the calibration label (control 1062), each written once. The blanks at the front
// and the differing stops stay exactly as they are: the help document quotes every label, and
// users who report a message quote it too.
namespace CalibrationLabels {
inline const QString Value = QStringLiteral("Oscillator Calibration:");
inline const QString ValueInEprom = QStringLiteral("Oscillator Calibration in EPROM:");
inline const QString NoneInEprom = QStringLiteral("No Oscillator Calibration in EPROM !");
inline const QString NoneInEpromOnCheck = QStringLiteral(" No Oscillator Calibration in EPROM !");
inline const QString NoneInEpromOnRead = QStringLiteral(" No Oscillator Calibration in EPROM.");
inline const QString NoneInFile = QStringLiteral("No Oscillator Calibration in File !");
inline const QString NoneInFileOnChoice = QStringLiteral(" No Oscillator Calibration in File.");
// A code-protected chip reads zeros where its calibration instruction is.
inline const QString Unreadable = QStringLiteral("Oscillator Calibration not readable !");
}  // namespace CalibrationLabels
