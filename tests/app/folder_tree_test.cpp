// The folder tree: volumes from a mount table, reading folders on opening them (and again on
// F5), path selection on real folders, and in the real window the places above "Desktop", the
// root folder without its pseudo folders and volumes that come and go.
#include "app/folder_tree.h"

#include "app/main_window.h"
#include "app/mount_watcher.h"
#include "tests/app/app_fixtures.h"
#include "tests/gui_support/scripted_prompter.h"

#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace corvane::test;
namespace fs = std::filesystem;

std::vector<std::string> captions(const std::vector<Volume>& volumes)
{
    std::vector<std::string> out;
    for (const Volume& v : volumes)
        out.push_back(volumeCaption(v));
    return out;
}

QStringList childTexts(const QTreeWidgetItem* item)
{
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

TEST(Volumes, OffersTheRootAndUserVolumesOnly)
{
    const std::string table =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs ro 0 0\n"
        "devtmpfs /dev devtmpfs rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "proc /srv/chroot/proc proc rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n"
        "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
        "/dev/sda2 /etc/hosts ext4 rw 0 0\n"
        "nas:/export /mnt/nas nfs4 rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/sdc1 /run/media/ann/My\\040Disk exfat rw 0 0\n"
        "/dev/sdd1 /data ext4 rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "garbage\n";
    const auto volumes =
        volumesFromMounts(parseMountTable(table), {{"/dev/sdb1", "MUSIC"}, {"/dev/sda3", "home"}});
    EXPECT_EQ(captions(volumes),
              (std::vector<std::string>{"Local Disk (/)", "Local Disk (/data/)", "home (/home/)",
                                        "CDROM Drive (/media/cdrom/)", "MUSIC (/media/usb/)",
                                        "Network Drive (/mnt/nas/)",
                                        "Removable Disk (/run/media/ann/My Disk/)"}));
    EXPECT_EQ(volumes[3].kind, VolumeKind::CdRom);
}

TEST(Volumes, PathsFindTheirLongestFolderAndComponents)
{
    const std::vector<std::string> folders{"/", "/media/usb/", ""};
    EXPECT_EQ(longestFolderOf("/media/usb/Music/", folders), 1);
    EXPECT_EQ(longestFolderOf("/media/usb", folders), 1);
    EXPECT_EQ(longestFolderOf("/media/usb2/", folders), 0);
    EXPECT_EQ(longestFolderOf("relative/", folders), -1);
    EXPECT_EQ(pathComponents("//a//b/"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(matchComponent({"music", "Music"}, "Music"), 1);
    EXPECT_EQ(matchComponent({"music", "Other"}, "MUSIC"), 0);
    EXPECT_EQ(matchComponent({"Other"}, "music"), -1);
}

class FolderTreeOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"Music/Rock/Live", "Music/Jazz", "Music/.hidden", "Empty",
                                   ".config/app", "Desk"})
            fs::create_directories(dir.path() / folder);
        writeFile(dir.file("Music/file.mp3"), bytesOf("x"));
        tree.setPlaces({{}, {}, dir.folder() + "Desk/Missing/"});
        tree.buildTree({{dir.folder(), VolumeKind::Local, {}}});
    }
    QTreeWidgetItem* volumeItem() const { return tree.computerItem()->child(0); }

    TempDir dir;
    FolderTree tree;
};

TEST_F(FolderTreeOnDisk, FillsOneLevelAheadWithoutHiddenFolders)
{
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.desktopItem()->text(0), "Desktop");
    EXPECT_EQ(tree.computerItem()->text(0), "My Computer");
    EXPECT_EQ(volumeItem()->childCount(), 0);  // nothing read before the volume is opened

    volumeItem()->setExpanded(true);
    EXPECT_EQ(childTexts(volumeItem()), (QStringList{"Desk", "Empty", "Music"}));
    QTreeWidgetItem* music = volumeItem()->child(2);
    QTreeWidgetItem* empty = volumeItem()->child(1);
    EXPECT_EQ(childTexts(music), (QStringList{"Jazz", "Rock"}));
    EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(music->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QTreeWidgetItem* rock = music->child(1);
    EXPECT_EQ(rock->childCount(), 0);  // two levels below: read when Music opens
    music->setExpanded(true);
    EXPECT_EQ(childTexts(rock), (QStringList{"Live"}));
    EXPECT_EQ(music->child(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(tree.folderPathOf(rock), dir.folder() + "Music/Rock/");
}

TEST_F(FolderTreeOnDisk, OpeningAgainOrRefreshingReadsFoldersMadeAndRemovedMeanwhile)
{
    tree.selectFolderPath(dir.folder() + "Music/Jazz/");
    QTreeWidgetItem* music = volumeItem()->child(2);
    QSignalSpy chosen(&tree, &FolderTree::folderSelected);

    fs::create_directories(dir.path() / "Music/New");
    fs::create_directories(dir.path() / "Empty/Sub");
    fs::remove(dir.path() / "Music/Jazz");
    music->setExpanded(false);
    music->setExpanded(true);
    EXPECT_EQ(childTexts(music), (QStringList{"New", "Rock"}));
    // The chosen folder is gone: the folder that held it is chosen instead.
    EXPECT_EQ(tree.currentItem(), music);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Music/");
    QTreeWidgetItem* rock = music->child(1);
    EXPECT_EQ(childTexts(rock), QStringList{"Live"});  // kept items keep what they had read

    // F5 reads every opened folder again: "Empty" now has a folder and shows an expander.
    QTreeWidgetItem* empty = volumeItem()->child(1);
    ASSERT_EQ(empty->text(0), "Empty");
    EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    tree.refresh();
    EXPECT_EQ(childTexts(empty), QStringList{"Sub"});
    EXPECT_EQ(empty->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST_F(FolderTreeOnDisk, SelectingAPathSkipsMissingComponentsAndEntersHiddenOnes)
{
    QSignalSpy chosen(&tree, &FolderTree::folderSelected);
    tree.selectFolderPath(dir.folder() + "Old/Music/Rock/");
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Music/Rock/");
    EXPECT_EQ(tree.currentItem()->text(0), "Rock");

    tree.selectFolderPath(dir.folder() + "MUSIC/jazz/");  // no exact match: case is ignored
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Music/Jazz/");

    // A hidden folder asked for by its path is shown, not silently replaced by its parent.
    tree.selectFolderPath(dir.folder() + ".config/app");
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + ".config/app/");
    tree.refresh();
    EXPECT_EQ(tree.currentItem()->text(0), "app");
}

TEST_F(FolderTreeOnDisk, APathOnNoVolumeSelectsTheComputer)
{
    tree.selectFolderPath(dir.folder() + "Music/");
    QSignalSpy chosen(&tree, &FolderTree::folderSelected);
    tree.selectFolderPath("/no/such/volume/");
    EXPECT_EQ(tree.currentItem(), tree.computerItem());
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_TRUE(chosen.last().at(0).toByteArray().isEmpty());
}

TEST_F(FolderTreeOnDisk, DesktopSelectsAsMuchOfTheDesktopFolderAsExists)
{
    QSignalSpy chosen(&tree, &FolderTree::folderSelected);
    tree.setCurrentItem(tree.desktopItem());
    EXPECT_EQ(tree.currentItem()->text(0), "Desk");
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Desk/");
}

// An environment variable set for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnv()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

class FolderTreeInWindow : public ::testing::Test {
protected:
    std::unique_ptr<MainWindow> open(const std::string& folder = {})
    {
        if (!folder.empty())
            m_settings.store().setValue("CurPath", QByteArray::fromStdString(folder));
        return std::make_unique<MainWindow>(m_settings.store(), m_prompter);
    }
    static void writeTable(const std::string& path, const std::string& lines)
    {
        std::ofstream(path) << "/dev/vda / ext4 rw 0 0\n" << lines;
    }

    TempDir m_dir;
    SettingsStore m_settings;
    ScriptedPrompter m_prompter;
};

TEST_F(FolderTreeInWindow, HomeAndTheUsersMusicFolderComeAboveDesktop)
{
    const std::string home = m_dir.folder() + "home/";
    fs::create_directories(home + "Tunes/Album");
    fs::create_directories(home + ".config");
    std::ofstream(home + ".config/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n";
    const ScopedEnv homeEnv("HOME", home);
    const ScopedEnv configEnv("XDG_CONFIG_HOME", home + ".config");
    {
        const auto window = open(home + "Tunes/Album/");
        FolderTree& tree = window->folderTree();
        ASSERT_EQ(tree.topLevelItemCount(), 3);
        EXPECT_EQ(tree.topLevelItem(0)->text(0), "Home");
        EXPECT_EQ(tree.topLevelItem(1)->text(0), "Music");
        EXPECT_EQ(tree.topLevelItem(2), tree.desktopItem());
        EXPECT_EQ(tree.folderPathOf(tree.homeItem()), home);
        EXPECT_EQ(tree.folderPathOf(tree.musicItem()), home + "Tunes/");
        // A stored folder is found below the place that holds it most closely.
        EXPECT_EQ(tree.currentItem()->parent(), tree.musicItem());
        EXPECT_EQ(window->currentFolder(), home + "Tunes/Album/");
        tree.homeItem()->setExpanded(true);
        EXPECT_EQ(childTexts(tree.homeItem()), QStringList{"Tunes"});  // .config is hidden
    }
    fs::remove_all(home + "Tunes");  // no music folder: no "Music"
    const auto window = open();
    EXPECT_EQ(window->folderTree().topLevelItemCount(), 2);
    EXPECT_EQ(window->folderTree().musicItem(), nullptr);
}

TEST_F(FolderTreeInWindow, RootFolderLeavesOutThePseudoFolders)
{
    const auto window = open("/");
    const QTreeWidgetItem* root = window->folderTree().currentItem();
    ASSERT_EQ(window->folderTree().folderPathOf(window->folderTree().currentItem()), "/");
    const QStringList children = childTexts(root);
    EXPECT_TRUE(children.contains("usr")) << children.join(' ').toStdString();
    for (const char* pseudo : {"proc", "sys", "dev", "run"})
        EXPECT_FALSE(children.contains(pseudo)) << pseudo;
}

TEST_F(FolderTreeInWindow, F5InTheTreeShowsANewFolder)
{
    fs::create_directories(m_dir.path() / "Music");
    const auto window = open(m_dir.folder() + "Music/");
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    FolderTree& tree = window->folderTree();
    QTreeWidgetItem* music = tree.currentItem();
    ASSERT_EQ(tree.folderPathOf(music), m_dir.folder() + "Music/");
    EXPECT_EQ(music->childCount(), 0);

    fs::create_directories(m_dir.path() / "Music/New Album");
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_F5);
    EXPECT_EQ(childTexts(music), QStringList{"New Album"});
}

TEST_F(FolderTreeInWindow, MountedAndUnmountedVolumesComeAndGo)
{
    const std::string table = m_dir.file("mounts");
    const std::string stick = m_dir.folder() + "stick";
    fs::create_directories(stick + "/Album");
    writeTable(table, "");
    const auto window = open();
    MountWatcher& watcher = window->mountWatcher();
    watcher.setTablePath(table);
    QTreeWidgetItem* computer = window->folderTree().computerItem();
    EXPECT_EQ(childTexts(computer), QStringList{"Local Disk (/)"});

    writeTable(table, "/dev/sdz1 " + stick + " vfat rw 0 0\nproc /proc proc rw 0 0\n");
    watcher.check();
    const QString caption = QString::fromStdString("Local Disk (" + stick + "/)");
    EXPECT_EQ(childTexts(computer), (QStringList{"Local Disk (/)", caption}));
    window->folderTree().selectFolderPath(stick + "/Album/");
    EXPECT_EQ(window->currentFolder(), stick + "/Album/");

    writeTable(table, "");
    watcher.check();
    EXPECT_EQ(childTexts(computer), QStringList{"Local Disk (/)"});
    EXPECT_EQ(window->folderTree().currentItem(), computer);
    EXPECT_TRUE(window->currentFolder().empty());
}

}  // namespace
}  // namespace corvane
