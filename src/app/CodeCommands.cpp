// Commands whose work is built by their own features: each refuses to run without a page, and
// does nothing more until its feature is wired in here.
#include "app/MainU.h"

void TForm1::Link1Click() { if (!RequireDocument()) return; }
void TForm1::Font1Click() { if (!RequireDocument()) return; }
void TForm1::Paragraph1Click() { if (!RequireDocument()) return; }
void TForm1::Bold1Click() { if (!RequireDocument()) return; }
void TForm1::Italic1Click() { if (!RequireDocument()) return; }
void TForm1::Underline1Click() { if (!RequireDocument()) return; }
void TForm1::Strike1Click() { if (!RequireDocument()) return; }
void TForm1::Header1Click() { if (!RequireDocument()) return; }
void TForm1::Subscript1Click() { if (!RequireDocument()) return; }
void TForm1::Superscript1Click() { if (!RequireDocument()) return; }
void TForm1::Break1Click() { if (!RequireDocument()) return; }
void TForm1::Image1Click() { if (!RequireDocument()) return; }
void TForm1::List1Click() { if (!RequireDocument()) return; }
void TForm1::Table1Click() { if (!RequireDocument()) return; }
void TForm1::EditFormClick() { if (!RequireDocument()) return; }
void TForm1::Input1Click() { if (!RequireDocument()) return; }
void TForm1::List2Click() { if (!RequireDocument()) return; }
void TForm1::extarea1Click() { if (!RequireDocument()) return; }
void TForm1::Label1Click() { if (!RequireDocument()) return; }
void TForm1::FrameSet1Click() { if (!RequireDocument()) return; }
void TForm1::Frame2Click() { if (!RequireDocument()) return; }
void TForm1::Sound1Click() { if (!RequireDocument()) return; }
void TForm1::Comment1Click() { if (!RequireDocument()) return; }
