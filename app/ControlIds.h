#pragma once

// Control ids of the main dialog (template 102) and the about box (template 100).
namespace Ctl {
constexpr int None = -1;
constexpr int Exit = 1;
constexpr int Open = 1004;
constexpr int DataFileGroup = 1005;
constexpr int ControllerGroup = 1007;
constexpr int StatusLine = 1011;
constexpr int ReadConfigWord = 1012;
constexpr int Mclr = 1015;
constexpr int Watchdog = 1016;
constexpr int CodeProtect0 = 1017;
constexpr int OscLP = 1018;
constexpr int OscXT = 1019;
constexpr int OscIntRC = 1020;
constexpr int OscExtRC = 1021;
constexpr int OscHS = 1022;
constexpr int CodeProtect1 = 1023;
constexpr int Read = 1024;
constexpr int Compare = 1025;
constexpr int Erased = 1026;
constexpr int Automatic = 1027;
constexpr int Programm = 1028;
constexpr int OscExtRCOut = 1029;
constexpr int Help = 1030;
constexpr int OscIntRCOut = 1031;
constexpr int ProgressBar = 1047;
constexpr int ChipList = 1049;
constexpr int ChipName = 1050;
constexpr int FileCombo = 1051;
constexpr int Size = 1053;
constexpr int PowerOnTimer = 1061;
constexpr int CalibrationLabel = 1062;
constexpr int OscCal = 1064;
constexpr int CalibrationEdit = 1065;
constexpr int ProgrammerStatus = 1066;
constexpr int MemoryFillBar = 1068;
}  // namespace Ctl

// Window-menu commands.
constexpr int IDM_ABOUTBOX = 0x10;
constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_CLOSE = 0xF060;
