#pragma once
// The volumes the folder tree offers below the computer item: the root file system and every
// mounted volume that holds user files, read from the kernel's mount table. The parsing and the
// path matching are plain functions so that they can be fed a made-up mount table.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct MountEntry {
    std::string device;      // first field: a device node, a server path, or a pseudo name
    std::string mountPoint;  // second field, with the table's octal escapes decoded
    std::string type;        // third field: the file-system type
};

enum class VolumeKind { Local, Floppy, Removable, CdRom, Network };

struct Volume {
    std::string mountPath;  // ends with "/"; "/" for the root file system
    VolumeKind kind = VolumeKind::Local;
    std::string label;      // the file system's label, or empty

    friend bool operator==(const Volume&, const Volume&) = default;
};

// Entries of a mount table in /proc/self/mounts form; malformed lines are left out.
[[nodiscard]] std::vector<MountEntry> parseMountTable(std::string_view text);

// The volumes of a mount table: the root first, then the others ordered by mount path.
// Pseudo file systems (proc, sysfs, tmpfs, overlay below "/", ...), system mounts (/boot,
// /proc, /run outside /run/media, snaps, ...) and bind-mounted files are left out. Labels are
// looked up by device path.
[[nodiscard]] std::vector<Volume> volumesFromMounts(
    const std::vector<MountEntry>& mounts,
    const std::map<std::string, std::string>& labelsByDevice = {});

// The tree caption: "Local Disk (/)", "MUSIC (/media/usb/)", "Network Drive (/mnt/nas/)".
[[nodiscard]] std::string volumeCaption(const Volume& volume);

// The kernel's table of this process's mounts.
inline constexpr const char* kMountTable = "/proc/self/mounts";

// The volumes of a mount table file (kMountTable on this machine), with the labels of
// /dev/disk/by-label; never empty (the root file system is always there, also when the table
// cannot be read).
[[nodiscard]] std::vector<Volume> volumesOfTable(const std::string& tablePath = kMountTable);

// The index of the longest of folders (each ending with "/") that begins path (on a component
// boundary), or -1.
[[nodiscard]] int longestFolderOf(std::string_view path, const std::vector<std::string>& folders);

// The non-empty components of a path split at "/".
[[nodiscard]] std::vector<std::string> pathComponents(std::string_view path);

// The index of the first name equal to component; when there is none, of the first equal to it
// without regard to case; -1 when neither exists.
[[nodiscard]] int matchComponent(const std::vector<std::string>& names, std::string_view component);

}  // namespace corvane
