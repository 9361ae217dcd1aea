#pragma once
// Where the user's own files go, worked out in one place: the home folder ($HOME, or the password
// database's entry when HOME is unset, empty or not absolute, as for a program started by a service) and
// the XDG base folders for configuration, state and cache. Each XDG variable counts only when it holds an
// absolute path, else the home folder's default applies. Every function returns an empty string when no
// home folder can be found; callers then store nothing rather than writing below "/".

#include <string>

std::string HomeFolder();
// $XDG_CONFIG_HOME, or ~/.config.
std::string UserConfigFolder();
// $XDG_STATE_HOME, or ~/.local/state.
std::string UserStateFolder();
// $XDG_CACHE_HOME, or ~/.cache.
std::string UserCacheFolder();
