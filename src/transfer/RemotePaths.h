#pragma once
// Remote paths as the sessions build them: "/" separates folders on every server, a path is relative
// to the session's base folder unless it starts with "/", and a name holding a control character is
// refused before it reaches a server (it would end or split a command).

#include <string>
#include <string_view>
#include <vector>

// Throws ETransferError (Permanent) when the path holds a byte below 32 or DEL.
void RequireCleanRemotePath(std::string_view path);

// "a/b/c" -> "a", "a/b", "a/b/c"; "/a/b" -> "/a", "/a/b"; doubled and trailing slashes dropped.
std::vector<std::string> FolderChain(std::string_view path);

// The path of the safe replace's temporary file: ".tallo-part-<random>-<name>" beside the target.
std::string SafeReplaceTemporaryPath(std::string_view target);

// The folder part of a remote path ("" for a bare name, "/" for a file in the root) and its name.
std::string RemoteFolderOf(std::string_view path);
std::string RemoteNameOf(std::string_view path);
