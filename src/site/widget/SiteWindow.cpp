#include "site/widget/SiteWindow.h"

#include "desktop/CommandLine.h"
#include "platform/AppIcons.h"
#include "platform/HelpWindow.h"
#include "platform/Platform.h"
#include "site/widget/FileTreeModel.h"
#include "site/widget/ProfileChoice.h"
#include "site/widget/PublishBridge.h"
#include "site/widget/PublishQueue.h"
#include "site/widget/SiteJobs.h"
#include "site/widget/SiteSetupDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <tuple>

namespace {

QWidget* Titled(QWidget* parent, const QString& caption, QWidget* body)
{
    auto* box = new QWidget(parent);
    auto* label = new QLabel(caption, box);
    label->setBuddy(body);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(label);
    layout->addWidget(body, 1);
    return box;
}

void ShapeTree(QTreeView* tree, int columns)
{
    tree->setUniformRowHeights(true);
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree->header()->setStretchLastSection(false);
    for (int column = 1; column < columns; ++column)
        tree->setColumnWidth(column, 150);
}

QTreeWidget* MakeList(QWidget* parent, const QStringList& headers)
{
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderLabels(headers);
    ShapeTree(tree, headers.size());
    return tree;
}

QTreeView* MakeFileTree(QWidget* parent, TFileTreeModel* model)
{
    auto* tree = new QTreeView(parent);
    tree->setModel(model);
    ShapeTree(tree, model->columnCount());
    return tree;
}

}  // namespace

TSiteWindow::TSiteWindow(std::string connectSetPath, QString settingsPath, QWidget* parent)
    : QMainWindow(parent), connectSetPath_(std::move(connectSetPath)), settingsPath_(std::move(settingsPath)),
      jobs_(new TSiteJobs(this)), watcher_(new QFileSystemWatcher(this))
{
    setWindowTitle(QStringLiteral("Tallo Site"));
    setWindowIcon(AppWindowIcon());
    BuildLayout();
    BuildMenus();
    RestoreLayout();
    LoadProfiles();
    connect(jobs_, &TSiteJobs::RunningChanged, this, [this] { UpdateActions(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &TSiteWindow::WatchedFileChanged);
    UpdateActions();
}

TSiteWindow::~TSiteWindow()
{
    if (publisher_)
        publisher_->Cancel();
    jobs_->DropResultsAndWait();
}

void TSiteWindow::BuildLayout()
{
    siteModel_ = new TFileTreeModel(TFileColumns::Status, this);
    serverModel_ = new TFileTreeModel(TFileColumns::SizeAndTime, this);
    SiteTree = MakeFileTree(this, siteModel_);
    ServerTree = MakeFileTree(this, serverModel_);
    ServerTree->setSelectionMode(QAbstractItemView::SingleSelection);
    ProblemList = MakeList(this, {QStringLiteral("File"), QStringLiteral("Line"), QStringLiteral("Problem")});
    ProblemList->setRootIsDecorated(false);
    ProblemList->setSelectionMode(QAbstractItemView::SingleSelection);
    ProblemList->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    ProblemList->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    ProblemList->setColumnWidth(0, 260);
    ProblemList->setColumnWidth(1, 60);
    Queue = new TPublishQueue(this);
    LowerTabs = new QTabWidget(this);
    LowerTabs->addTab(ProblemList, QStringLiteral("&Link problems"));
    LowerTabs->addTab(Queue, QStringLiteral("&Queue"));
    SideBySide = new QSplitter(Qt::Horizontal, this);
    SideBySide->addWidget(Titled(SideBySide, QStringLiteral("S&ite files"), SiteTree));
    SideBySide->addWidget(Titled(SideBySide, QStringLiteral("Ser&ver files"), ServerTree));
    UpperLower = new QSplitter(Qt::Vertical, this);
    UpperLower->addWidget(SideBySide);
    UpperLower->addWidget(LowerTabs);
    UpperLower->setStretchFactor(0, 3);
    UpperLower->setStretchFactor(1, 1);
    setCentralWidget(UpperLower);
    SummaryLabel = new QLabel(QStringLiteral("Open a site or make one from a folder (Site menu), or choose a profile to "
                                             "browse its server."),
                              this);
    statusBar()->addWidget(SummaryLabel, 1);

    ProfileBox = new QComboBox(this);
    ProfileBox->setMinimumContentsLength(16);
    auto* bar = addToolBar(QStringLiteral("Server"));
    bar->setObjectName(QStringLiteral("ServerBar"));
    auto* label = new QLabel(QStringLiteral(" Pro&file: "), bar);
    label->setBuddy(ProfileBox);
    bar->addWidget(label);
    bar->addWidget(ProfileBox);
    connect(ProfileBox, &QComboBox::activated, this, &TSiteWindow::ProfileChosen);

    connect(SiteTree, &QTreeView::activated, this, &TSiteWindow::SiteItemActivated);
    connect(ServerTree, &QTreeView::activated, this, &TSiteWindow::ServerItemActivated);
    connect(ServerTree, &QTreeView::expanded, this, &TSiteWindow::ListServerFolder);
    connect(ProblemList, &QTreeWidget::itemActivated, this, &TSiteWindow::ProblemActivated);
    connect(Queue, &TPublishQueue::CancelClicked, this, &TSiteWindow::CancelPublish);
    setTabOrder(ProfileBox, SiteTree);
    setTabOrder(SiteTree, ServerTree);
    setTabOrder(ServerTree, LowerTabs);
}

void TSiteWindow::BuildMenus()
{
    const auto add = [this](QMenu* menu, const QString& text, QKeySequence keys, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setShortcut(keys);
        return action;
    };
    QMenu* siteMenu = menuBar()->addMenu(QStringLiteral("&Site"));
    openSiteAction_ = add(siteMenu, QStringLiteral("&Open Site..."), QKeySequence::Open, &TSiteWindow::OpenSiteClick);
    newSiteAction_ = add(siteMenu, QStringLiteral("&New Site from Folder..."), QKeySequence::New,
                         [this] { NewSiteForFolder({}); });
    refreshAction_ = add(siteMenu, QStringLiteral("&Refresh"), QKeySequence::Refresh, &TSiteWindow::Refresh);
    // Esc as Cancel Publish has it: the two are never enabled together.
    stopAction_ = add(siteMenu, QStringLiteral("S&top"), QKeySequence(Qt::Key_Escape), &TSiteWindow::StopReading);
    siteMenu->addSeparator();
    PublishOnSaveAction = siteMenu->addAction(QStringLiteral("Publish on &Save"));
    PublishOnSaveAction->setCheckable(true);
    connect(PublishOnSaveAction, &QAction::toggled, this, &TSiteWindow::SetPublishOnSave);
    siteMenu->addSeparator();
    add(siteMenu, QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);

    QMenu* publishMenu = menuBar()->addMenu(QStringLiteral("&Publish"));
    publishAllAction_ = add(publishMenu, QStringLiteral("Publish &All Changes"), QKeySequence(Qt::CTRL | Qt::Key_P),
                            [this] { Publish(TPublishScope::All); });
    publishSelectionAction_ = add(publishMenu, QStringLiteral("Publish &Selection"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), [this] { Publish(TPublishScope::Selection); });
    publishPageAction_ = add(publishMenu, QStringLiteral("Publish This &Page"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P),
                             [this] { Publish(TPublishScope::Page); });
    publishMenu->addSeparator();
    cancelAction_ = add(publishMenu, QStringLiteral("&Cancel Publish"), QKeySequence(Qt::Key_Escape), &TSiteWindow::CancelPublish);

    QMenu* serverMenu = menuBar()->addMenu(QStringLiteral("Se&rver"));
    add(serverMenu, QStringLiteral("&New Folder..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), &TSiteWindow::NewFolderClick);
    add(serverMenu, QStringLiteral("Re&name..."), QKeySequence(Qt::Key_F2), &TSiteWindow::RenameClick);
    add(serverMenu, QStringLiteral("&Delete..."), QKeySequence::Delete, &TSiteWindow::DeleteClick);
    serverMenu->addSeparator();
    add(serverMenu, QStringLiteral("New &Profile..."), QKeySequence(), &TSiteWindow::NewProfileClick);
    add(serverMenu, QStringLiteral("&Edit Profile..."), QKeySequence(), &TSiteWindow::EditProfileClick);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    add(helpMenu, QStringLiteral("Site Window &Help"), QKeySequence::HelpContents, &TSiteWindow::ShowHelp);
}

void TSiteWindow::RestoreLayout()
{
    resize(960, 640);
    if (settingsPath_.isEmpty())
        return;
    QSettings settings(settingsPath_, QSettings::IniFormat);
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    SideBySide->restoreState(settings.value(QStringLiteral("window/sideBySide")).toByteArray());
    UpperLower->restoreState(settings.value(QStringLiteral("window/upperLower")).toByteArray());
}

void TSiteWindow::SaveLayout()
{
    if (settingsPath_.isEmpty())
        return;
    QSettings settings(settingsPath_, QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/sideBySide"), SideBySide->saveState());
    settings.setValue(QStringLiteral("window/upperLower"), UpperLower->saveState());
}

bool TSiteWindow::PublishOnSave() const
{
    if (!site_ || settingsPath_.isEmpty())
        return PublishOnSaveAction->isChecked();
    const QSettings settings(settingsPath_, QSettings::IniFormat);
    return settings.value(QStringLiteral("publishOnSave")).toStringList().contains(QFile::decodeName(site_->Folder().c_str()));
}

void TSiteWindow::SetPublishOnSave(bool on)
{
    if (PublishOnSaveAction->isChecked() != on)
        PublishOnSaveAction->setChecked(on);
    if (!site_ || settingsPath_.isEmpty())
        return;
    QSettings settings(settingsPath_, QSettings::IniFormat);
    QStringList sites = settings.value(QStringLiteral("publishOnSave")).toStringList();
    const QString folder = QFile::decodeName(site_->Folder().c_str());
    sites.removeAll(folder);
    if (on)
        sites << folder;
    settings.setValue(QStringLiteral("publishOnSave"), sites);
}

bool TSiteWindow::Busy() const
{
    return jobs_->Running() > 0 || jobs_->Pending() > 0 || publisher_ != nullptr || refreshing_;
}

void TSiteWindow::UpdateActions()
{
    const bool publishing = publisher_ != nullptr;
    const bool idleSite = site_ && !publishing;
    for (QAction* action : {publishAllAction_, publishSelectionAction_, publishPageAction_})
        action->setEnabled(idleSite && !refreshing_);
    refreshAction_->setEnabled(!refreshing_ && !publishing && (site_ || browsed_));
    stopAction_->setEnabled(refreshing_);
    cancelAction_->setEnabled(publishing);
    PublishOnSaveAction->setEnabled(site_.has_value());
    ProfileBox->setEnabled(!site_);
}

void TSiteWindow::LoadProfiles()
{
    const QString current = ProfileBox->currentText();
    ProfileBox->clear();
    ProfileBox->addItems(ProfileNamesIn(connectSetPath_));
    ProfileBox->setPlaceholderText(ProfileBox->count() == 0 ? QStringLiteral("(none: Server > New Profile)")
                                                            : QStringLiteral("(choose one)"));
    ProfileBox->setCurrentIndex(current.isEmpty() ? -1 : ProfileBox->findText(current));
}

void TSiteWindow::closeEvent(QCloseEvent* event)
{
    if (publisher_) {
        if (!platform().Confirm(QStringLiteral("Confirm"),
                                QStringLiteral("A publish is running. Stop it and close the window?"))) {
            event->ignore();
            return;
        }
        // The safe replace leaves each file on the server whole: the old one or the new one.
        publisher_->Cancel();
    }
    // A listing or a put-back waiting on a silent server must not hold the close.
    if (server_)
        std::exchange(server_, nullptr)->Cancel();
    jobs_->DropResultsAndWait();
    SaveLayout();
    event->accept();
}

bool TSiteWindow::OpenSite(const std::string& folder, TStartedOpen started)
{
    try {
        // Absolute: the editor is handed the site's files, and it may run in another folder.
        site_ = TSite::Open(AbsolutePath(folder, CurrentFolder()));
    } catch (const std::exception& error) {
        platform().ShowError(QString::fromStdString(error.what()));
        return false;
    }
    browsed_.reset();
    openedSiteFiles_.clear();
    snapshot_ = TSiteSnapshot{};
    linkCache_ = std::make_shared<TReferenceCache>();
    setWindowTitle(QStringLiteral("Tallo Site - ") + QFile::decodeName(site_->Folder().c_str()));
    ProfileBox->setCurrentIndex(ProfileBox->findText(QString::fromStdString(site_->Settings().Profile)));
    PublishOnSaveAction->setChecked(PublishOnSave());
    siteModel_->Reset(TFileRows{});
    serverModel_->Reset(TFileRows{});
    ++serverGeneration_;  // a folder of the profile browsed before may still be being listed
    ProblemList->clear();
    startedOpen_ = {};
    // Taken only when it is the session this window would use itself (Server() keeps it then).
    if (started.Server) {
        server_ = started.Server;
        if (Server() == started.Server) {
            linkCache_ = started.LinkCache;
            startedOpen_ = std::move(started);
        }
    }
    Refresh();
    return true;
}

void TSiteWindow::OpenSiteClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Open Site"));
    if (!folder.isEmpty())
        OpenSite(QFile::encodeName(folder).toStdString());
}

void TSiteWindow::NewSiteForFolder(const std::string& folder)
{
    TRemoteLister lister = [this](const TConnectionProfile& profile, const std::string& folder,
                                  std::function<void(std::vector<TRemoteEntry>, QString)> done) {
        auto entries = std::make_shared<std::vector<TRemoteEntry>>();
        const TSessionOptions options = SessionOptions();
        jobs_->Start(
            [profile, folder, options, entries] {
                TWindowTrustListener listener;
                auto session = OpenRemoteSession(SessionProfile(profile), options, listener);
                *entries = session->List(folder);
                session->Close();
            },
            [entries, done](std::exception_ptr failure) {
                QString error;
                try {
                    if (failure)
                        std::rethrow_exception(failure);
                } catch (const std::exception& thrown) {
                    error = QString::fromStdString(thrown.what());
                }
                done(std::move(*entries), error);
            });
    };
    TSiteSetupDialog dialog(connectSetPath_, lister, this);
    dialog.FolderEdit->setText(QFile::decodeName(folder.c_str()));
    const bool made = platform().ExecModal(dialog) == QDialog::Accepted && dialog.Made();
    LoadProfiles();
    if (made)
        OpenSite(dialog.Made()->Folder());
}

void TSiteWindow::NewProfileClick()
{
    if (MakeProfile(this, connectSetPath_))
        LoadProfiles();
}

void TSiteWindow::EditProfileClick()
{
    const QString name = ProfileBox->currentText();
    if (name.isEmpty()) {
        platform().ShowMessage(QStringLiteral("Please, select the FTP Connection!"));
        return;
    }
    EditProfile(this, connectSetPath_, name.toStdString());
    LoadProfiles();
}

void TSiteWindow::ProfileChosen(int index)
{
    if (!site_ && index >= 0)
        BrowseProfile(ProfileBox->itemText(index).toStdString());
}

void TSiteWindow::ShowHelp()
{
    auto* help = new HelpWindow;
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->Browser()->setSource(QUrl(QStringLiteral("qrc:/help/site.html")));
    platform().ShowModeless(*help);
}

TSessionOptions TSiteWindow::SessionOptions() const { return TSessionOptions{}; }

std::shared_ptr<TKeptSession> TSiteWindow::Server()
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    if (!profile)
        return nullptr;
    const TConnectionProfile wanted = SessionProfile(*profile);
    const auto fields = [](const TConnectionProfile& p) {
        return std::tie(p.Name, p.UserID, p.Password, p.Host, p.Passive, p.Port, p.Directory);
    };
    // A profile edited or another one chosen: the session of the old one goes when its last job ends.
    if (!server_ || fields(server_->Profile()) != fields(wanted))
        server_ = std::make_shared<TKeptSession>(wanted, SessionOptions(), std::make_unique<TWindowTrustListener>());
    return server_;
}

std::optional<TConnectionProfile> TSiteWindow::CurrentProfile() const
{
    if (browsed_)
        return browsed_;
    if (!site_)
        return std::nullopt;
    return ProfileNamed(connectSetPath_, site_->Settings().Profile);
}

std::string TSiteWindow::ServerName() const
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    return profile ? profile->UserID + "@" + profile->Host + (profile->Port.empty() ? "" : "_" + profile->Port) : "server";
}

void TSiteWindow::ReportFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        platform().ShowError(QString::fromStdString(error.what()));
    }
}

void TSiteWindow::SetStatus(const QString& text) { statusBar()->showMessage(text, 8000); }
