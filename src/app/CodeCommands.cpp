// Commands whose work is built by their own features: each refuses to run without a page, and
// does nothing more until its feature is wired in here.
#include "app/MainU.h"

void TForm1::Print1Click() { if (!RequireDocument()) return; }
void TForm1::PrintSetup1Click() {}
void TForm1::est2Click() { if (!RequireDocument()) return; }
