// Commands whose work is built by their own features: each refuses to run without a page, and
// does nothing more until its feature is wired in here.
#include "app/MainU.h"

void TForm1::Print1Click() { if (!RequireDocument()) return; }
void TForm1::PrintSetup1Click() {}
void TForm1::Table1Click() { if (!RequireDocument()) return; }
void TForm1::EditFormClick() { if (!RequireDocument()) return; }
void TForm1::Input1Click() { if (!RequireDocument()) return; }
void TForm1::List2Click() { if (!RequireDocument()) return; }
void TForm1::extarea1Click() { if (!RequireDocument()) return; }
void TForm1::Label1Click() { if (!RequireDocument()) return; }
void TForm1::FrameSet1Click() { if (!RequireDocument()) return; }
void TForm1::Frame2Click() { if (!RequireDocument()) return; }
void TForm1::est2Click() { if (!RequireDocument()) return; }
