#pragma once
// The files of the site's remote folder as the server lists them, walked folder by folder over one
// session. Folders the patterns leave out are not entered, and the safe replace's temporary names are
// not the user's files, so neither is listed.

#include "site/ExcludePatterns.h"
#include "transfer/RemoteSession.h"

#include <map>
#include <set>
#include <string>

struct TRemoteTree {
    std::map<std::string, TRemoteEntry> Files;  // by path relative to the remote folder
    std::set<std::string> Folders;              // the folders that exist ("" for the remote folder itself)
};

// A missing remote folder gives an empty tree (nothing published yet). Throws ETransferError.
TRemoteTree ListRemoteTree(TRemoteSession& session, const std::string& remoteFolder, const TExcludePatterns& patterns);

// The server's path for a path relative to the site: below the remote folder, or the session's base
// folder when the site names none.
std::string RemotePath(const std::string& remoteFolder, const std::string& relativePath);
