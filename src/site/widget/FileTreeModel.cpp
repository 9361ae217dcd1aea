#include "site/widget/FileTreeModel.h"

#include "site/SiteSnapshot.h"
#include "site/widget/DecodedText.h"

#include <QFont>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// "yyyy-MM-dd hh:mm" in UTC; the calendar's own formatting costs more than the rest of a row.
QString UtcMinuteText(std::int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (::gmtime_r(&time, &parts) == nullptr)
        return {};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour, parts.tm_min);
    return QString::fromLatin1(text);
}

std::string FolderPartOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NamePartOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TFileRows::TFileRows() { Rows.emplace_back(); }

int TFileRows::Add(int parent, TFileRow row)
{
    const int added = static_cast<int>(Rows.size());
    row.Parent = parent;
    row.Row = static_cast<int>(Rows[parent].Children.size());
    Rows.push_back(std::move(row));
    Rows[parent].Children.push_back(added);
    if (Rows[added].Kind == TRowKind::File)
        Files.push_back(added);
    return added;
}

int TFileRows::FolderOf(const std::string& relativePath, const std::string* remoteFolder)
{
    if (relativePath.empty())
        return 0;
    // Files come in path order, so most share the folder of the one before.
    if (lastFolderRow_ != 0 && lastFolderPath_ == relativePath)
        return lastFolderRow_;
    if (auto found = folders_.find(relativePath); found != folders_.end()) {
        lastFolderPath_ = relativePath;
        return lastFolderRow_ = found->second;
    }
    const int parent = FolderOf(FolderPartOf(relativePath), remoteFolder);
    TFileRow folder;
    folder.Name = NamePartOf(relativePath);
    folder.Path = remoteFolder ? RemotePath(*remoteFolder, relativePath) : relativePath;
    folder.Kind = TRowKind::Folder;
    const int added = Add(parent, std::move(folder));
    folders_.emplace(relativePath, added);
    lastFolderPath_ = relativePath;
    return lastFolderRow_ = added;
}

void TFileRows::SortByName() { SortChildren(0); }

void TFileRows::SortChildren(int parent)
{
    std::vector<int>& children = Rows[parent].Children;
    std::stable_sort(children.begin(), children.end(), [this](int a, int b) { return Rows[a].Name < Rows[b].Name; });
    for (std::size_t i = 0; i < children.size(); ++i) {
        Rows[children[i]].Row = static_cast<int>(i);
        if (!Rows[children[i]].Children.empty())
            SortChildren(children[i]);
    }
}

bool HasBrokenReferences(const TLinkReport& links, const std::string& path)
{
    const auto page = links.find(path);
    return page != links.end() && !page->second.Problems.empty();
}

TFileRows SiteRows(const std::vector<TFileStatus>& statuses, const TLinkReport& links)
{
    TFileRows rows;
    rows.Rows.reserve(statuses.size() + 64);
    for (const TFileStatus& status : statuses) {
        TFileRow row;
        row.Name = NamePartOf(status.Path);
        row.Path = status.Path;
        row.State = status.State;
        row.BrokenReferences = HasBrokenReferences(links, status.Path);
        rows.Add(rows.FolderOf(FolderPartOf(status.Path), nullptr), std::move(row));
    }
    return rows;
}

TFileRows ServerRows(const TRemoteTree& tree, const std::string& remoteFolder)
{
    TFileRows rows;
    rows.Rows.reserve(tree.Files.size() + tree.Folders.size() + 1);
    for (const std::string& folder : tree.Folders)
        rows.FolderOf(folder, &remoteFolder);
    for (const auto& [path, entry] : tree.Files) {
        TFileRow row;
        row.Name = entry.Name;
        row.Path = RemotePath(remoteFolder, path);
        row.Size = entry.Size;
        row.ModifiedUtc = entry.ModifiedUtc;
        rows.Add(rows.FolderOf(FolderPartOf(path), &remoteFolder), std::move(row));
    }
    rows.SortByName();
    return rows;
}

TFileTreeModel::TFileTreeModel(TFileColumns columns, QObject* parent) : QAbstractItemModel(parent), columns_(columns) {}

void TFileTreeModel::Reset(TFileRows rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TFileTreeModel::UpdateStatus(int row, TFileState state, bool brokenReferences)
{
    TFileRow& shown = rows_.Rows[row];
    if (shown.State == state && shown.BrokenReferences == brokenReferences)
        return;
    shown.State = state;
    shown.BrokenReferences = brokenReferences;
    emit dataChanged(IndexOf(row, 0), IndexOf(row, 1));
}

void TFileTreeModel::UpdateSizeAndTime(int row, std::optional<std::uint64_t> size, std::optional<std::int64_t> modifiedUtc)
{
    TFileRow& shown = rows_.Rows[row];
    if (shown.Size == size && shown.ModifiedUtc == modifiedUtc)
        return;
    shown.Size = size;
    shown.ModifiedUtc = modifiedUtc;
    emit dataChanged(IndexOf(row, 1), IndexOf(row, 2));
}

void TFileTreeModel::AddListed(int parent, std::vector<TFileRow> children)
{
    std::stable_sort(children.begin(), children.end(), [](const TFileRow& a, const TFileRow& b) { return a.Name < b.Name; });
    rows_.Rows[parent].Listing = TListState::Listed;
    if (children.empty())
        return;
    const int first = static_cast<int>(rows_.Rows[parent].Children.size());
    beginInsertRows(IndexOf(parent), first, first + static_cast<int>(children.size()) - 1);
    for (TFileRow& child : children)
        rows_.Add(parent, std::move(child));
    endInsertRows();
}

int TFileTreeModel::RowOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<int>(index.internalId()) : 0;
}

QModelIndex TFileTreeModel::IndexOf(int row, int column) const
{
    return row == 0 ? QModelIndex() : createIndex(rows_.Rows[row].Row, column, static_cast<quintptr>(row));
}

QModelIndex TFileTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const std::vector<int>& children = rows_.Rows[RowOf(parent)].Children;
    if (row < 0 || row >= static_cast<int>(children.size()) || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column, static_cast<quintptr>(children[row]));
}

QModelIndex TFileTreeModel::parent(const QModelIndex& index) const
{
    return index.isValid() ? IndexOf(rows_.Rows[RowOf(index)].Parent) : QModelIndex();
}

int TFileTreeModel::rowCount(const QModelIndex& parent) const
{
    return parent.column() > 0 ? 0 : static_cast<int>(rows_.Rows[RowOf(parent)].Children.size());
}

int TFileTreeModel::columnCount(const QModelIndex&) const { return columns_ == TFileColumns::Status ? 2 : 3; }

bool TFileTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    const TFileRow& row = rows_.Rows[RowOf(parent)];
    return !row.Children.empty() || (row.Kind == TRowKind::Folder && row.Listing != TListState::Listed);
}

QString TFileTreeModel::StatusText(const TFileRow& row) const
{
    QString& text = statusTexts_[static_cast<std::size_t>(row.State) * 2 + (row.BrokenReferences ? 1 : 0)];
    if (text.isEmpty()) {
        TFileStatus status;
        status.State = row.State;
        text = Decoded(StatusWords(status, row.BrokenReferences));
    }
    return text;
}

QVariant TFileTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const TFileRow& row = rows_.Rows[RowOf(index)];
    const bool folder = row.Kind == TRowKind::Folder;
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == 0)
            return Decoded(row.Name);
        if (folder)
            return {};
        if (columns_ == TFileColumns::Status)
            return StatusText(row);
        if (index.column() == 1)
            return row.Size ? QString::number(*row.Size) : QString();
        return row.ModifiedUtc ? UtcMinuteText(*row.ModifiedUtc) : QString();
    case Qt::FontRole:
        // What is no longer in the site is shown in italics.
        if (index.column() == 0 && !folder && columns_ == TFileColumns::Status &&
            (row.State == TFileState::ServerOnly || row.State == TFileState::DeletedLocally)) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case kPathRole: return Decoded(row.Path);
    case kFolderRole: return folder;
    default: return {};
    }
}

QVariant TFileTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const status[] = {"Name", "Status"};
    static const char* const sizeAndTime[] = {"Name", "Size", "Modified (UTC)"};
    if (section < 0 || section >= columnCount())
        return {};
    return QString::fromLatin1(columns_ == TFileColumns::Status ? status[section] : sizeAndTime[section]);
}
