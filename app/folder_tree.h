#pragma once
// The left-hand pane: "Desktop", the computer item, one item per volume, and below them the
// folders of the file system, read on demand one level ahead of what the user has opened, so
// that a folder shows an expander exactly when it has sub-folders. Choosing an item chooses the
// folder whose files the list shows.

#include "app/volumes.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace corvane {

class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Replaces the whole tree by "Desktop", the computer item and the given volumes, expands
    // the first two and selects nothing.
    void buildTree(const std::vector<Volume>& volumes);

    // The folder of an item: file-system bytes ending with "/"; empty for the computer item.
    // For "Desktop" the user's desktop folder, which is selected instead when it is found.
    [[nodiscard]] std::string folderPathOf(QTreeWidgetItem* item);
    // Inserts the sub-folders of item (hidden ones left out, sorted), and theirs, depth levels
    // deep; an item found to have none loses its expander.
    void fillSubfolders(QTreeWidgetItem* item, int depth);
    // Expands the tree along path and selects the deepest item found: the volume with the
    // longest mount path that begins path, then each component among the current item's
    // children, the exact name first and otherwise one that differs only in case. A component
    // that is not found is skipped. Nothing found selects the computer item.
    void selectFolderPath(const std::string& path);

    [[nodiscard]] QTreeWidgetItem* desktopItem() const { return m_desktop; }
    [[nodiscard]] QTreeWidgetItem* computerItem() const { return m_computer; }
    // The desktop folder "Desktop" stands for; by default the user's (XDG) desktop.
    void setDesktopFolder(std::string folder) { m_desktopFolder = std::move(folder); }
    // Whether an item's sub-folders are known (read on opening it).
    [[nodiscard]] static bool isScanned(const QTreeWidgetItem* item);

signals:
    // The chosen folder changed (bytes ending with "/", or empty).
    void folderSelected(const QByteArray& folder);

private:
    void fillOnDemand(QTreeWidgetItem* item);
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void revealCurrentItem();
    QTreeWidgetItem* addFolderItem(QTreeWidgetItem* parent, const std::string& name);
    static std::string nameOf(const QTreeWidgetItem* item);

    QTreeWidgetItem* m_desktop = nullptr;
    QTreeWidgetItem* m_computer = nullptr;
    std::vector<Volume> m_volumes;
    std::string m_desktopFolder;
    QIcon m_folderIcon;
};

}  // namespace corvane
