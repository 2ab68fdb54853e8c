// Handlers whose work arrives with the data-file loader, the configuration panel and the chip
// commands. They are connected to their controls already and do nothing yet.

#include "app/ProgrammerDlg.h"

void CProgrammerDlg::OnOpen() {}
void CProgrammerDlg::OnFileSelChange() {}
void CProgrammerDlg::LoadDataText() {}
void CProgrammerDlg::OnChipTypeChange() {}
void CProgrammerDlg::OnReadConfigWord() {}
void CProgrammerDlg::OnErased() {}
void CProgrammerDlg::OnRead() {}
void CProgrammerDlg::OnCompare() {}
void CProgrammerDlg::OnAutomatic() {}
void CProgrammerDlg::OnProgramm() {}
void CProgrammerDlg::OnOscCal() {}
void CProgrammerDlg::OnPowerOnTimer() {}
void CProgrammerDlg::OnMclr() {}
void CProgrammerDlg::OnWatchdog() {}
void CProgrammerDlg::OnCodeProtect0() {}
void CProgrammerDlg::OnCodeProtect1() {}
void CProgrammerDlg::OnOscHS() {}
void CProgrammerDlg::OnOscIntRCOut() {}
void CProgrammerDlg::OnOscIntRC() {}
void CProgrammerDlg::OnOscLP() {}
void CProgrammerDlg::OnOscXT() {}
void CProgrammerDlg::OnOscExtRC() {}
void CProgrammerDlg::OnOscExtRCOut() {}
void CProgrammerDlg::OnOscCalChange() {}
