#pragma once

#include <QString>

// Message-box texts that more than one handler shows, each written once.
namespace Messages {
// Programm when the configuration word did not take; Automatic when the chip's word is not the
// file's.
inline const QString ConfigurationWordError = QStringLiteral("Configuration Word ERROR !");
}  // namespace Messages
