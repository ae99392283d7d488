#pragma once
// The left-hand pane: "Home", the user's "Music" folder, "Desktop" with the computer item and
// one item per volume, and below them the folders of the file system, read one level ahead of
// what the user has opened, so that a folder shows an expander exactly when it has sub-folders.
// A folder is read again each time it is opened, and F5 reads every open folder again, so that
// folders made or removed meanwhile come and go. Choosing an item chooses the folder whose
// files the list shows.

#include "app/volumes.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace corvane {

// The folders the items above the volumes stand for: file-system bytes ending with "/", empty
// for none.
struct TreePlaces {
    std::string home;
    std::string music;  // only when it exists and is not the home folder itself
    std::string desktop;
};

// The user's home, XDG music and desktop folders.
[[nodiscard]] TreePlaces userPlaces();

class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // The folders of the items above the volumes; takes effect at the next buildTree.
    void setPlaces(TreePlaces places) { m_places = std::move(places); }
    // Replaces the whole tree by "Home", "Music", "Desktop" (with the computer item and the
    // given volumes), expands the last two and selects nothing.
    void buildTree(const std::vector<Volume>& volumes);
    // Brings the volumes below the computer item in line with a new list (a volume mounted or
    // unmounted): the items of kept volumes stay as they are, opened or not. When the chosen
    // folder was on a volume that is gone, the computer item is chosen.
    void setVolumes(const std::vector<Volume>& volumes);
    // Reads every opened folder again (F5), adding and removing sub-folders as they are now.
    void refresh();

    // The folder of an item: file-system bytes ending with "/"; empty for the computer item.
    // For "Desktop" the user's desktop folder, which is selected instead when it is found.
    [[nodiscard]] std::string folderPathOf(QTreeWidgetItem* item);
    // Reads the sub-folders of item (hidden ones left out, sorted) into its children, adding
    // and removing items as the disk has them, and theirs, depth levels deep; an item found to
    // have none loses its expander.
    void syncSubfolders(QTreeWidgetItem* item, int depth);
    // Expands the tree along path and selects the deepest item found: the place or volume with
    // the longest folder that begins path, then each component among the current item's
    // children, the exact name first and otherwise one that differs only in case (a hidden
    // folder on the path gets an item of its own). A component that is not found is skipped.
    // Nothing found selects the computer item.
    void selectFolderPath(const std::string& path);

    [[nodiscard]] QTreeWidgetItem* homeItem() const { return m_home; }    // may be null
    [[nodiscard]] QTreeWidgetItem* musicItem() const { return m_music; }  // may be null
    [[nodiscard]] QTreeWidgetItem* desktopItem() const { return m_desktop; }
    [[nodiscard]] QTreeWidgetItem* computerItem() const { return m_computer; }

signals:
    // The chosen folder changed (bytes ending with "/", or empty).
    void folderSelected(const QByteArray& folder);

private:
    QTreeWidgetItem* addPlaceItem(const QString& caption, const QIcon& icon,
                                  const std::string& folder);
    QTreeWidgetItem* insertVolumeItem(int index, const Volume& volume);
    void showVolume(QTreeWidgetItem* item, const Volume& volume);
    void fillOnDemand(QTreeWidgetItem* item);
    void expandAndRead(QTreeWidgetItem* item);
    void refreshOpened(QTreeWidgetItem* item);
    void removeFolderItem(QTreeWidgetItem* parent, int index);
    QTreeWidgetItem* insertFolderItem(QTreeWidgetItem* parent, const std::string& name);
    [[nodiscard]] QTreeWidgetItem* rootOfPath(const std::string& path) const;
    [[nodiscard]] bool holdsFolders(const QTreeWidgetItem* item) const;
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void revealCurrentItem();
    static std::string nameOf(const QTreeWidgetItem* item);

    QTreeWidgetItem* m_home = nullptr;
    QTreeWidgetItem* m_music = nullptr;
    QTreeWidgetItem* m_desktop = nullptr;
    QTreeWidgetItem* m_computer = nullptr;
    std::vector<Volume> m_volumes;
    TreePlaces m_places;
    QIcon m_folderIcon;
};

}  // namespace corvane
