#pragma once
// The site window as a program: "tallo-site" without a command, or with a folder, opens it. The
// application object is made only here, so the command line's other uses need no display.

#include "site/widget/WindowSnapshot.h"

#include <string>

// folder: a site (or a folder to make one from) to open at once; empty for none.
int RunSiteWindow(int argc, char** argv, const std::string& folder);

// Where the window keeps its size, splitters and switches: $XDG_CONFIG_HOME/tallo/tallo-site.conf;
// empty without a home folder.
std::string SiteWindowSettingsPath();

// The first snapshot of the site in folder begun at once, on the session the window keeps for it;
// nothing when the folder is no site or connect.set lacks its profile (the window then says why).
TStartedOpen StartSiteOpen(const std::string& folder, const std::string& connectSetPath);
