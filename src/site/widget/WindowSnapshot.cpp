#include "site/widget/WindowSnapshot.h"

#include <thread>

TWindowSnapshot TakeWindowSnapshot(const TSnapshotRequest& request)
{
    TWindowSnapshot taken;
    const TConnectionProfile* profile = request.Profile ? &*request.Profile : nullptr;
    const std::string remoteFolder = profile ? request.Site.RemoteFolder(*profile) : std::string();
    // The server's rows are built on the listing's thread while the site is still being read.
    const auto listed = [&](const TRemoteTree& tree) { taken.Built.Server = std::make_shared<TFileRows>(ServerRows(tree, remoteFolder)); };
    taken.Snapshot = TakeSiteSnapshot(request.Site, profile, request.Server.get(), request.LinkCache.get(),
                                      request.BuildServerRows && profile ? std::function<void(const TRemoteTree&)>(listed) : nullptr);
    if (request.BuildSiteRows)
        taken.Built.Site = std::make_shared<TFileRows>(SiteRows(taken.Snapshot.Statuses, taken.Snapshot.Links));
    return taken;
}

TStartedOpen StartWindowSnapshot(TSnapshotRequest request)
{
    request.BuildSiteRows = request.BuildServerRows = true;
    auto promise = std::make_shared<std::promise<std::shared_ptr<TWindowSnapshot>>>();
    TStartedOpen started{request.Server, request.LinkCache, promise->get_future().share()};
    std::thread([promise, request = std::move(request)] {
        try {
            promise->set_value(std::make_shared<TWindowSnapshot>(TakeWindowSnapshot(request)));
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
    }).detach();
    return started;
}
