#pragma once
// The windows the program makes once at start-up, in their order: the main window, one document
// window captioned "Noname", then every dialog, which lives hidden until a command shows it.

#include <memory>

class TForm1;

std::unique_ptr<TForm1> CreateApplicationWindows();
