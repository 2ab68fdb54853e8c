// Handlers whose work arrives with the chip commands. They are connected to their controls
// already and do nothing yet.

#include "app/ProgrammerDlg.h"

void CProgrammerDlg::OnChipTypeChange() {}
void CProgrammerDlg::OnReadConfigWord() {}
void CProgrammerDlg::OnErased() {}
void CProgrammerDlg::OnRead() {}
void CProgrammerDlg::OnCompare() {}
void CProgrammerDlg::OnAutomatic() {}
void CProgrammerDlg::OnProgramm() {}
void CProgrammerDlg::OnOscCal() {}
