#pragma once
// The rows of the site window's two trees (the site's files with their statuses, the server's files with
// size and time) as a model over plain rows made from the snapshot or a listing: nothing of Qt is made
// for a row until the view asks for it, and a refresh that keeps the same files changes only the rows
// whose texts moved. The server's folders outside a site are listed when first expanded.

#include "site/LinkCheck.h"
#include "site/RemoteTree.h"
#include "site/SiteStatus.h"

#include <QAbstractItemModel>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TRowKind : std::uint8_t { File, Folder };
// Whether a server folder's rows are there: asked for when first expanded, outside a site.
enum class TListState : std::uint8_t { Unlisted, Listing, Listed };
enum class TFileColumns : std::uint8_t { Status, SizeAndTime };

struct TFileRow {
    std::string Name;
    std::string Path;  // as the window names it: relative to the site, or the server's path
    TRowKind Kind = TRowKind::File;
    TListState Listing = TListState::Listed;
    // Site rows:
    TFileState State = TFileState::Unchanged;
    bool BrokenReferences = false;
    // Server rows:
    std::optional<std::uint64_t> Size;
    std::optional<std::int64_t> ModifiedUtc;
    // The tree (filled by TFileRows::Add): indexes into the rows; 0 is the invisible root.
    int Parent = 0;
    int Row = 0;
    std::vector<int> Children;
};

// The rows of one tree, built off the user-interface thread where it pays.
class TFileRows {
public:
    TFileRows();
    // Adds a row below parent and returns it.
    int Add(int parent, TFileRow row);
    // The folder row of a path relative to the site ("" for the root), made with its parents as needed;
    // the folder rows of a server carry the server's path below remoteFolder.
    int FolderOf(const std::string& relativePath, const std::string* remoteFolder);
    // Every folder's rows by name, as a sorting tree shows them.
    void SortByName();

    std::vector<TFileRow> Rows;
    std::vector<int> Files;  // the file rows in the order they were added

private:
    void SortChildren(int parent);
    std::map<std::string, int> folders_;  // by path relative to the site
    std::string lastFolderPath_;
    int lastFolderRow_ = 0;
};

// Rows built on the worker that took a snapshot, for trees that get new rows (null: none built).
struct TBuiltRows {
    std::shared_ptr<TFileRows> Site;
    std::shared_ptr<TFileRows> Server;
};

// The site's files in path order, with their statuses.
TFileRows SiteRows(const std::vector<TFileStatus>& statuses, const TLinkReport& links);
bool HasBrokenReferences(const TLinkReport& links, const std::string& path);
// The server's files of a site, sorted by name.
TFileRows ServerRows(const TRemoteTree& tree, const std::string& remoteFolder);

class TFileTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    TFileTreeModel(TFileColumns columns, QObject* parent);

    void Reset(TFileRows rows);
    const TFileRows& Rows() const { return rows_; }
    // Sets a row's texts, telling the view only when they changed.
    void UpdateStatus(int row, TFileState state, bool brokenReferences);
    void UpdateSizeAndTime(int row, std::optional<std::uint64_t> size, std::optional<std::int64_t> modifiedUtc);
    // Adds the rows of a folder listed (sorted by name) below a row.
    void AddListed(int parent, std::vector<TFileRow> children);
    void SetListing(int row, TListState state) { rows_.Rows[row].Listing = state; }

    int RowOf(const QModelIndex& index) const;
    QModelIndex IndexOf(int row, int column = 0) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kFolderRole = Qt::UserRole + 1;

private:
    QString StatusText(const TFileRow& row) const;

    TFileColumns columns_;
    TFileRows rows_;
    mutable std::array<QString, 16> statusTexts_;  // by state and broken references, made when first shown
};
