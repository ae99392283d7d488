// The folder tree: volumes from a mount table, on-demand filling and path selection on real
// folders, with a made-up volume list standing in for the machine's.
#include "app/folder_tree.h"

#include "tests/support/temp_dir.h"

#include <QSignalSpy>

#include <filesystem>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> captions(const std::vector<Volume>& volumes)
{
    std::vector<std::string> out;
    for (const Volume& v : volumes)
        out.push_back(volumeCaption(v));
    return out;
}

TEST(Volumes, OffersTheRootAndUserVolumesOnly)
{
    const std::string table =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs ro 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n"
        "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
        "/dev/sda2 /etc/hosts ext4 rw 0 0\n"
        "nas:/export /mnt/nas nfs4 rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/sdc1 /run/media/ann/My\\040Disk exfat rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "garbage\n";
    const auto volumes =
        volumesFromMounts(parseMountTable(table), {{"/dev/sdb1", "MUSIC"}, {"/dev/sda3", "home"}});
    EXPECT_EQ(captions(volumes),
              (std::vector<std::string>{"Local Disk (/)", "home (/home/)", "CDROM Drive (/media/cdrom/)",
                                        "MUSIC (/media/usb/)", "Network Drive (/mnt/nas/)",
                                        "Removable Disk (/run/media/ann/My Disk/)"}));
    EXPECT_EQ(volumes[2].kind, VolumeKind::CdRom);
}

TEST(Volumes, PathsFindTheirLongestVolumeAndComponents)
{
    const std::vector<Volume> volumes{{"/", VolumeKind::Local, {}},
                                      {"/media/usb/", VolumeKind::Removable, {}}};
    EXPECT_EQ(volumeOfPath("/media/usb/Music/", volumes), 1);
    EXPECT_EQ(volumeOfPath("/media/usb", volumes), 1);
    EXPECT_EQ(volumeOfPath("/media/usb2/", volumes), 0);
    EXPECT_EQ(volumeOfPath("relative/", volumes), -1);
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
        test::writeFile(dir.file("Music/file.mp3"), test::bytesOf("x"));
        tree.setDesktopFolder(dir.folder() + "Desk/Missing/");
        tree.buildTree({{dir.folder(), VolumeKind::Local, {}}});
    }
    QTreeWidgetItem* volumeItem() const { return tree.computerItem()->child(0); }
    static QStringList childTexts(const QTreeWidgetItem* item)
    {
        QStringList out;
        for (int i = 0; i < item->childCount(); ++i)
            out << item->child(i)->text(0);
        return out;
    }

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

    // Folders made later are not seen: the tree is read once.
    fs::create_directories(dir.path() / "Music/New");
    music->setExpanded(false);
    music->setExpanded(true);
    EXPECT_EQ(childTexts(music), (QStringList{"Jazz", "Rock"}));
    EXPECT_EQ(tree.folderPathOf(rock), dir.folder() + "Music/Rock/");
}

TEST_F(FolderTreeOnDisk, SelectingAPathSkipsMissingComponents)
{
    QSignalSpy chosen(&tree, &FolderTree::folderSelected);
    tree.selectFolderPath(dir.folder() + "Old/Music/Rock/");
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Music/Rock/");
    EXPECT_EQ(tree.currentItem()->text(0), "Rock");

    tree.selectFolderPath(dir.folder() + "MUSIC/jazz/");  // no exact match: case is ignored
    EXPECT_EQ(chosen.last().at(0).toByteArray().toStdString(), dir.folder() + "Music/Jazz/");
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

}  // namespace
}  // namespace corvane
