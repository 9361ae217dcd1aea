#include "site/RemoteTree.h"

#include <vector>

std::string RemotePath(const std::string& remoteFolder, const std::string& relativePath)
{
    if (remoteFolder.empty())
        return relativePath.empty() ? "." : relativePath;
    if (relativePath.empty())
        return remoteFolder;
    return remoteFolder.back() == '/' ? remoteFolder + relativePath : remoteFolder + "/" + relativePath;
}

TRemoteTree ListRemoteTree(TRemoteSession& session, const std::string& remoteFolder, const TExcludePatterns& patterns)
{
    TRemoteTree tree;
    if (!remoteFolder.empty() && !session.Stat(remoteFolder))
        return tree;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        tree.Folders.insert(folder);
        for (TRemoteEntry& entry : session.List(RemotePath(remoteFolder, folder))) {
            if (IsNeverPublishedName(entry.Name))
                continue;
            const std::string path = folder.empty() ? entry.Name : folder + "/" + entry.Name;
            if (entry.Kind == TRemoteKind::Folder) {
                if (!patterns.Excludes(path, TPathKind::Folder))
                    pending.push_back(path);
            } else if (entry.Kind == TRemoteKind::File && !patterns.Excludes(path, TPathKind::File)) {
                tree.Files.emplace(path, std::move(entry));
            }
        }
    }
    return tree;
}
