#pragma once
// Files fetched from the server to be edited and put back: where a fetched file goes on this machine
// (below the site folder when it lies in the site's remote folder, else in a private cache), and the
// state of both copies at the fetch, so that a save is sent only when the local copy really moved and
// never over a server copy that somebody else changed meanwhile.

#include "site/SiteScan.h"
#include "transfer/RemoteSession.h"

#include <cstdint>
#include <optional>
#include <string>

struct TFetchedFile {
    std::string RemotePath;
    std::string LocalPath;
    std::optional<TRemoteEntry> ServerAtFetch;  // as the server listed it just after the fetch (or the put)
    TLocalFile LocalAtFetch;                    // the local copy as written by the fetch (or as last sent)
};

// Where the server's copy stands against the fetch: untouched, changed (size or time moved), or gone.
// A server that gives neither size nor time cannot tell, which counts as changed so the user is asked.
enum class TServerCopy : std::uint8_t { AsFetched, Changed, Gone };
TServerCopy CompareServerCopy(const TFetchedFile& fetched, const std::optional<TRemoteEntry>& now);

// Whether the local copy moved since the fetch (or the last put): a watch fires for the fetch's own
// write and for saves that change nothing, and neither is sent.
enum class TLocalCopy : std::uint8_t { AsFetched, Saved, Gone };
TLocalCopy CompareLocalCopy(const TFetchedFile& fetched);

// The site path of a remote path inside the site's remote folder ("" stands for the session's base
// folder); nothing when it lies outside, climbs with "..", or names no file.
std::optional<std::string> SitePathOf(const std::string& remoteFolder, const std::string& remotePath);

// Where a file from outside any site is kept: <cacheFolder>/remote/<server>/<remote path>, each step of
// the remote path kept only when it is a plain name ("." and ".." and empty steps dropped), so that no
// server's name can lead out of the cache. Empty when nothing of the remote path is left.
std::string CachePathFor(const std::string& cacheFolder, const std::string& server, const std::string& remotePath);

// The name under which the server's copy of a site file is compared with the site's, so that the editor's
// captions tell the two apart: "page.html" becomes "page (server).html", the extension kept for highlighting.
std::string ServerCopyName(const std::string& path);

// Makes the folders from root down to the file's folder, each one private to the user (mode 0700,
// root too), so that files fetched outside a site are not shown to others. Throws EFileError.
void MakePrivateFolders(const std::string& root, const std::string& filePath);
