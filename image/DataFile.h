#pragma once

// Data files are read only up to this many bytes; the rest is never looked at.
constexpr int MaxDataFileBytes = 13000;

// The file dialogs' filter list for data files.
constexpr const char* DataFileFilter = "IntelHex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
