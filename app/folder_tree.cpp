#include "app/folder_tree.h"

#include "gui/display_text.h"
#include "gui/wait_cursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

constexpr int kNameRole = Qt::UserRole;        // the item's path component (bytes)
constexpr int kFolderRole = Qt::UserRole + 1;  // a place's or volume's whole folder (bytes)

// Folders of the root that hold the kernel's and the running system's pseudo files: never music,
// and some of them never finish listing.
constexpr std::array<std::string_view, 4> kPseudoRootFolders{"dev", "proc", "run", "sys"};

QIcon volumeIcon(const QStyle* style, VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Floppy: return style->standardIcon(QStyle::SP_DriveFDIcon);
    case VolumeKind::CdRom: return style->standardIcon(QStyle::SP_DriveCDIcon);
    case VolumeKind::Network: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case VolumeKind::Removable:
        return QIcon::fromTheme(QStringLiteral("drive-removable-media"),
                                style->standardIcon(QStyle::SP_DriveHDIcon));
    case VolumeKind::Local: break;
    }
    return style->standardIcon(QStyle::SP_DriveHDIcon);
}

// The order of the tree: as a file manager sorts names, then by their bytes.
bool treeOrder(const std::string& a, const std::string& b)
{
    const int c = displayName(a).compare(displayName(b), Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool isDirectory(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// Sub-folders of folder without the hidden ones (and, in the root, without the pseudo folders),
// in tree order. A folder that cannot be read has none, silently.
std::vector<std::string> subfolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    const bool root = folder == "/";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().native();
        std::error_code typeError;
        if (name.empty() || name.front() == '.' || !it->is_directory(typeError))
            continue;
        if (root && std::find(kPseudoRootFolders.begin(), kPseudoRootFolders.end(), name) !=
                        kPseudoRootFolders.end())
            continue;
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), treeOrder);
    return names;
}

std::string folderBytes(const QString& path)
{
    if (path.isEmpty())
        return {};
    std::string bytes = QFile::encodeName(path).toStdString();
    if (bytes.back() != '/')
        bytes += '/';
    return bytes;
}

}  // namespace

TreePlaces userPlaces()
{
    TreePlaces places;
    places.home = folderBytes(QDir::homePath());
    // Without the user's own setting the music folder is ~/Music, which need not exist.
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir() && folderBytes(music) != places.home)
        places.music = folderBytes(music);
    places.desktop = folderBytes(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    return places;
}

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent), m_places(userPlaces())
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setAnimated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_folderIcon.addPixmap(style()->standardIcon(QStyle::SP_DirClosedIcon).pixmap(16, 16),
                           QIcon::Normal);
    m_folderIcon.addPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16),
                           QIcon::Selected);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fillOnDemand);
    connect(this, &QTreeWidget::currentItemChanged, this, &FolderTree::onCurrentItemChanged);
}

void FolderTree::buildTree(const std::vector<Volume>& volumes)
{
    {
        const QSignalBlocker quiet(this);
        clear();
    }
    m_volumes = volumes;
    m_home = m_places.home.empty()
                 ? nullptr
                 : addPlaceItem(QStringLiteral("Home"),
                                QIcon::fromTheme(QStringLiteral("user-home"),
                                                 style()->standardIcon(QStyle::SP_DirHomeIcon)),
                                m_places.home);
    m_music = m_places.music.empty()
                  ? nullptr
                  : addPlaceItem(QStringLiteral("Music"),
                                 QIcon::fromTheme(QStringLiteral("folder-music"), m_folderIcon),
                                 m_places.music);
    m_desktop = new QTreeWidgetItem(this, {QStringLiteral("Desktop")});
    m_desktop->setIcon(0, style()->standardIcon(QStyle::SP_DesktopIcon));
    m_desktop->setData(0, kNameRole, QByteArray("Desktop"));
    m_computer = new QTreeWidgetItem(m_desktop, {QStringLiteral("My Computer")});
    m_computer->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    m_computer->setData(0, kNameRole, QByteArray("My Computer"));
    for (int i = 0; i < static_cast<int>(m_volumes.size()); ++i)
        insertVolumeItem(i, m_volumes[static_cast<std::size_t>(i)]);
    m_desktop->setExpanded(true);
    m_computer->setExpanded(true);
}

QTreeWidgetItem* FolderTree::addPlaceItem(const QString& caption, const QIcon& icon,
                                          const std::string& folder)
{
    auto* item = new QTreeWidgetItem(this, {caption});
    item->setIcon(0, icon);
    item->setData(0, kNameRole, caption.toUtf8());
    item->setData(0, kFolderRole, QByteArray::fromStdString(folder));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

QTreeWidgetItem* FolderTree::insertVolumeItem(int index, const Volume& volume)
{
    auto* item = new QTreeWidgetItem;
    m_computer->insertChild(index, item);
    item->setData(0, kNameRole, QByteArray::fromStdString(volume.mountPath));
    item->setData(0, kFolderRole, QByteArray::fromStdString(volume.mountPath));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    showVolume(item, volume);
    return item;
}

void FolderTree::showVolume(QTreeWidgetItem* item, const Volume& volume)
{
    item->setText(0, displayName(volumeCaption(volume)));
    item->setIcon(0, volumeIcon(style(), volume.kind));
}

void FolderTree::setVolumes(const std::vector<Volume>& volumes)
{
    if (volumes == m_volumes)
        return;
    const auto isMounted = [&](const std::string& folder) {
        return std::any_of(volumes.begin(), volumes.end(),
                           [&](const Volume& v) { return v.mountPath == folder; });
    };
    for (int i = m_computer->childCount() - 1; i >= 0; --i) {
        if (!isMounted(folderPathOf(m_computer->child(i))))
            removeFolderItem(m_computer, i);
    }
    // The kept items are in mount-path order like the new list, so the new ones slot in between.
    for (int i = 0; i < static_cast<int>(volumes.size()); ++i) {
        const Volume& volume = volumes[static_cast<std::size_t>(i)];
        QTreeWidgetItem* item = m_computer->child(i);
        if (item != nullptr && folderPathOf(item) == volume.mountPath)
            showVolume(item, volume);
        else
            insertVolumeItem(i, volume);
    }
    m_volumes = volumes;
}

std::string FolderTree::nameOf(const QTreeWidgetItem* item)
{
    return item->data(0, kNameRole).toByteArray().toStdString();
}

bool FolderTree::holdsFolders(const QTreeWidgetItem* item) const
{
    return item != nullptr && item != m_desktop && item != m_computer;
}

std::string FolderTree::folderPathOf(QTreeWidgetItem* item)
{
    if (item == nullptr || item == m_computer)
        return {};
    if (item == m_desktop) {
        if (!m_places.desktop.empty())
            selectFolderPath(m_places.desktop);
        return m_places.desktop;
    }
    const QVariant folder = item->data(0, kFolderRole);
    if (folder.isValid())
        return folder.toByteArray().toStdString();
    return folderPathOf(item->parent()) + nameOf(item) + "/";
}

QTreeWidgetItem* FolderTree::insertFolderItem(QTreeWidgetItem* parent, const std::string& name)
{
    int at = 0;
    while (at < parent->childCount() && treeOrder(nameOf(parent->child(at)), name))
        ++at;
    auto* item = new QTreeWidgetItem({displayName(name)});
    parent->insertChild(at, item);
    item->setIcon(0, m_folderIcon);
    item->setData(0, kNameRole, QByteArray::fromStdString(name));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void FolderTree::removeFolderItem(QTreeWidgetItem* parent, int index)
{
    QTreeWidgetItem* gone = parent->child(index);
    // The chosen folder went with it: choose the item that held it, so that the list does not
    // go on showing a folder that is no longer there.
    for (const QTreeWidgetItem* up = currentItem(); up != nullptr; up = up->parent()) {
        if (up == gone) {
            setCurrentItem(parent);
            break;
        }
    }
    delete parent->takeChild(index);
}

void FolderTree::syncSubfolders(QTreeWidgetItem* item, int depth)
{
    if (depth <= 0 || !holdsFolders(item))
        return;
    const std::string folder = folderPathOf(item);
    std::vector<std::string> names = subfolderNames(folder);
    // A hidden folder that a path led to keeps its item while it exists.
    for (int i = 0; i < item->childCount(); ++i) {
        const std::string name = nameOf(item->child(i));
        if (name.front() == '.' && isDirectory(folder + name))
            names.insert(std::upper_bound(names.begin(), names.end(), name, treeOrder), name);
    }
    for (int i = item->childCount() - 1; i >= 0; --i) {
        if (!std::binary_search(names.begin(), names.end(), nameOf(item->child(i)), treeOrder))
            removeFolderItem(item, i);
    }
    // What is left is in tree order, as names are: walk both and fill the gaps.
    int at = 0;
    for (const std::string& name : names) {
        if (at >= item->childCount() || nameOf(item->child(at)) != name)
            insertFolderItem(item, name);
        ++at;
    }
    for (int i = 0; i < item->childCount(); ++i)
        syncSubfolders(item->child(i), depth - 1);
    item->setChildIndicatorPolicy(names.empty() ? QTreeWidgetItem::DontShowIndicator
                                                : QTreeWidgetItem::ShowIndicator);
}

// Opening a folder reads it and each of its sub-folders, so that every child shows an expander
// exactly when it has folders of its own.
void FolderTree::fillOnDemand(QTreeWidgetItem* item)
{
    if (!holdsFolders(item))
        return;
    WaitCursor wait;
    syncSubfolders(item, 2);
}

void FolderTree::expandAndRead(QTreeWidgetItem* item)
{
    if (item->isExpanded())
        fillOnDemand(item);
    else
        item->setExpanded(true);  // reads it through itemExpanded
}

void FolderTree::refresh()
{
    WaitCursor wait;
    for (int i = 0; i < topLevelItemCount(); ++i)
        refreshOpened(topLevelItem(i));
}

void FolderTree::refreshOpened(QTreeWidgetItem* item)
{
    if (!item->isExpanded())
        return;
    syncSubfolders(item, 2);
    for (int i = 0; i < item->childCount(); ++i)
        refreshOpened(item->child(i));
}

QTreeWidgetItem* FolderTree::rootOfPath(const std::string& path) const
{
    std::vector<QTreeWidgetItem*> roots;
    for (QTreeWidgetItem* place : {m_home, m_music}) {
        if (place != nullptr)
            roots.push_back(place);
    }
    for (int i = 0; i < m_computer->childCount(); ++i)
        roots.push_back(m_computer->child(i));
    std::vector<std::string> folders;
    for (const QTreeWidgetItem* root : roots)
        folders.push_back(root->data(0, kFolderRole).toByteArray().toStdString());
    const int best = longestFolderOf(path, folders);
    return best < 0 ? nullptr : roots[static_cast<std::size_t>(best)];
}

void FolderTree::selectFolderPath(const std::string& path)
{
    QTreeWidgetItem* current = m_computer;
    if (QTreeWidgetItem* root = rootOfPath(path)) {
        expandAndRead(root);
        current = root;
        // The root's folder begins path, up to a final "/" that path may lack.
        const std::string rest = path.substr(std::min(path.size(), folderPathOf(root).size()));
        for (const std::string& component : pathComponents(rest)) {
            std::vector<std::string> names;
            for (int i = 0; i < current->childCount(); ++i)
                names.push_back(nameOf(current->child(i)));
            int found = matchComponent(names, component);
            if (found < 0 && isDirectory(folderPathOf(current) + component))
                found = current->indexOfChild(insertFolderItem(current, component));  // hidden
            if (found < 0)
                continue;  // skipped: the next component is looked for at the same level
            current = current->child(found);
            expandAndRead(current);
        }
    }
    setCurrentItem(current);
    scrollToItem(current);
    // A deep folder in a narrow pane would show only its indentation; bring its name into view
    // once the pane has its final size.
    QTimer::singleShot(0, this, [this] { revealCurrentItem(); });
}

void FolderTree::revealCurrentItem()
{
    const QTreeWidgetItem* item = currentItem();
    if (item == nullptr)
        return;
    scrollToItem(item);
    int depth = 0;
    for (const QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent())
        ++depth;
    horizontalScrollBar()->setValue(std::max(0, (depth + 1) * indentation() - viewport()->width() / 3));
}

void FolderTree::onCurrentItemChanged(QTreeWidgetItem* current)
{
    if (current == nullptr)
        return;
    if (current == m_desktop) {
        // Selecting the desktop folder's own item reports the folder; the selection never
        // rests on "Desktop" while that folder can be found.
        if (m_places.desktop.empty())
            emit folderSelected({});
        else
            selectFolderPath(m_places.desktop);
        return;
    }
    emit folderSelected(QByteArray::fromStdString(folderPathOf(current)));
}

}  // namespace corvane
