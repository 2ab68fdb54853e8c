#pragma once

#include <QString>

// Message-box texts that more than one handler shows, each written once.
namespace Messages {
// Programm when the configuration word did not take; Automatic when the chip's word is not the
// file's.
inline const QString ConfigurationWordError = QStringLiteral("Configuration Word ERROR !");
// Programm and Automatic when the file protects the chip but the chip is not the file: the chip
// is left readable. The box, and the status line's shorter text.
inline const QString ProtectionWithheld =
    QStringLiteral("EPROM and File NOT equal !\nCode Protection NOT programmed .");
inline const QString ProtectionWithheldStatus = QStringLiteral("Code Protection NOT programmed !");
}  // namespace Messages
