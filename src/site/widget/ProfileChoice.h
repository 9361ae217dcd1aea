#pragma once
// The profiles of connect.set as the site window offers them, and making or editing one with the
// editor's own "New FTP Connection" dialog. Errors reading the file go to the user's error box.

#include "upload/ConnectionProfiles.h"

#include <QStringList>
#include <optional>
#include <string>

class QWidget;

QStringList ProfileNamesIn(const std::string& connectSetPath);
std::optional<TConnectionProfile> ProfileNamed(const std::string& connectSetPath, const std::string& name);
// True when the dialog was confirmed; the new profile is then the first of the file.
bool MakeProfile(QWidget* parent, const std::string& connectSetPath);
bool EditProfile(QWidget* parent, const std::string& connectSetPath, const std::string& name);
