#include "app/folder_tree.h"

#include "gui/display_text.h"
#include "gui/wait_cursor.h"

#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace corvane {

namespace {

constexpr int kNameRole = Qt::UserRole;         // the item's path component (bytes)
constexpr int kScannedRole = Qt::UserRole + 1;  // its children have their own children

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

// Sub-folders of folder without the hidden ones, sorted as a file manager sorts them. A folder
// that cannot be read has none, silently.
std::vector<std::string> subfolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().native();
        std::error_code typeError;
        if (!name.empty() && name.front() != '.' && it->is_directory(typeError))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = displayName(a).compare(displayName(b), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

std::string userDesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        return {};
    std::string path = QFile::encodeName(desktop).toStdString();
    if (path.back() != '/')
        path += '/';
    return path;
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent), m_desktopFolder(userDesktopFolder())
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
    m_desktop = new QTreeWidgetItem(this, {QStringLiteral("Desktop")});
    m_desktop->setIcon(0, style()->standardIcon(QStyle::SP_DesktopIcon));
    m_desktop->setData(0, kNameRole, QByteArray("Desktop"));
    m_desktop->setData(0, kScannedRole, true);
    m_computer = new QTreeWidgetItem(m_desktop, {QStringLiteral("My Computer")});
    m_computer->setIcon(0, style()->standardIcon(QStyle::SP_ComputerIcon));
    m_computer->setData(0, kNameRole, QByteArray("My Computer"));
    m_computer->setData(0, kScannedRole, true);
    for (const Volume& volume : m_volumes) {
        auto* item = new QTreeWidgetItem(m_computer, {displayName(volumeCaption(volume))});
        item->setIcon(0, volumeIcon(style(), volume.kind));
        // The name is the mount path without its final "/", so that the path of the item is
        // its parent's (empty) path, the name and "/".
        std::string name = volume.mountPath;
        name.pop_back();
        item->setData(0, kNameRole, QByteArray::fromStdString(name));
        item->setData(0, kScannedRole, false);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    m_desktop->setExpanded(true);
    m_computer->setExpanded(true);
}

bool FolderTree::isScanned(const QTreeWidgetItem* item)
{
    return item->data(0, kScannedRole).toBool();
}

std::string FolderTree::nameOf(const QTreeWidgetItem* item)
{
    return item->data(0, kNameRole).toByteArray().toStdString();
}

std::string FolderTree::folderPathOf(QTreeWidgetItem* item)
{
    if (item == nullptr || item == m_computer)
        return {};
    if (item == m_desktop) {
        if (!m_desktopFolder.empty())
            selectFolderPath(m_desktopFolder);
        return m_desktopFolder;
    }
    return folderPathOf(item->parent()) + nameOf(item) + "/";
}

QTreeWidgetItem* FolderTree::addFolderItem(QTreeWidgetItem* parent, const std::string& name)
{
    auto* item = new QTreeWidgetItem(parent, {displayName(name)});
    item->setIcon(0, m_folderIcon);
    item->setData(0, kNameRole, QByteArray::fromStdString(name));
    item->setData(0, kScannedRole, false);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void FolderTree::fillSubfolders(QTreeWidgetItem* item, int depth)
{
    if (depth <= 0)
        return;
    const std::vector<std::string> names = subfolderNames(folderPathOf(item));
    for (const std::string& name : names)
        fillSubfolders(addFolderItem(item, name), depth - 1);
    item->setChildIndicatorPolicy(names.empty() ? QTreeWidgetItem::DontShowIndicator
                                                : QTreeWidgetItem::ShowIndicator);
}

void FolderTree::fillOnDemand(QTreeWidgetItem* item)
{
    if (item == nullptr || isScanned(item))
        return;
    WaitCursor wait;
    if (item->parent() == m_computer) {
        fillSubfolders(item, 2);  // a volume: its folders and theirs
    } else {
        for (int i = 0; i < item->childCount(); ++i)
            fillSubfolders(item->child(i), 1);
    }
    item->setData(0, kScannedRole, true);
}

void FolderTree::selectFolderPath(const std::string& path)
{
    QTreeWidgetItem* current = m_computer;
    const int volume = volumeOfPath(path, m_volumes);
    if (volume >= 0) {
        // Volumes are the computer item's children in the order of m_volumes.
        QTreeWidgetItem* volumeItem = m_computer->child(volume);
        fillOnDemand(volumeItem);
        volumeItem->setExpanded(true);
        current = volumeItem;
        const std::string rest = path.substr(m_volumes[static_cast<std::size_t>(volume)].mountPath.size() - 1);
        for (const std::string& component : pathComponents(rest)) {
            std::vector<std::string> names;
            for (int i = 0; i < current->childCount(); ++i)
                names.push_back(nameOf(current->child(i)));
            const int found = matchComponent(names, component);
            if (found < 0)
                continue;  // skipped: the next component is looked for at the same level
            current = current->child(found);
            fillOnDemand(current);
            current->setExpanded(true);
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
        if (m_desktopFolder.empty())
            emit folderSelected({});
        else
            selectFolderPath(m_desktopFolder);
        return;
    }
    emit folderSelected(QByteArray::fromStdString(folderPathOf(current)));
}

}  // namespace corvane
