#include "app/volumes.h"

#include "gui/display_text.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace corvane {

namespace {

// Kernel file systems that never hold user files.
constexpr std::array<std::string_view, 30> kPseudoTypes{
    "proc",       "sysfs",     "tmpfs",       "devtmpfs",    "devpts",     "cgroup",
    "cgroup2",    "overlay",   "squashfs",    "securityfs",  "debugfs",    "tracefs",
    "pstore",     "bpf",       "mqueue",      "hugetlbfs",   "configfs",   "fusectl",
    "autofs",     "binfmt_misc", "efivarfs",  "rpc_pipefs",  "nsfs",       "ramfs",
    "selinuxfs",  "rootfs",    "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "fuse.snapfuse"};

constexpr std::array<std::string_view, 16> kNetworkTypes{
    "nfs",  "nfs4",       "cifs",         "smb3",        "smbfs",        "ncpfs",
    "afs",  "ceph",       "glusterfs",    "fuse.sshfs",  "sshfs",        "fuse.glusterfs",
    "davfs", "fuse.davfs2", "fuse.rclone", "9p"};

// Mount points that belong to the operating system, not to the user.
constexpr std::array<std::string_view, 10> kSystemPrefixes{
    "/boot/", "/efi/", "/proc/", "/sys/", "/dev/", "/run/", "/snap/", "/var/", "/etc/", "/usr/"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The table writes a space as \040, a tab as \011, a newline as \012 and a backslash as \134.
std::string decodeOctalEscapes(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

bool isSystemMount(const std::string& mountPath)
{
    if (startsWith(mountPath, "/run/media/"))
        return false;
    return std::any_of(kSystemPrefixes.begin(), kSystemPrefixes.end(),
                       [&](std::string_view prefix) { return startsWith(mountPath, prefix); });
}

bool isFloppyDevice(std::string_view device)
{
    return startsWith(device, "/dev/fd") && device.size() > 7 && device[7] >= '0' && device[7] <= '9';
}

bool isUnderMedia(const std::string& mountPath)
{
    return startsWith(mountPath, "/media/") || startsWith(mountPath, "/run/media/");
}

// The kind of a mount, or false when it is not a volume the user browses.
bool classify(const MountEntry& entry, const std::string& mountPath, VolumeKind& kind)
{
    if (mountPath == "/") {
        kind = VolumeKind::Local;  // always offered, whatever a container mounts there
        return true;
    }
    if (contains(kNetworkTypes, entry.type)) {
        kind = VolumeKind::Network;
        return !isSystemMount(mountPath);
    }
    if (contains(kPseudoTypes, entry.type) || isSystemMount(mountPath))
        return false;
    if (entry.type == "iso9660" || entry.type == "udf")
        kind = VolumeKind::CdRom;
    else if (isFloppyDevice(entry.device))
        kind = VolumeKind::Floppy;
    else if (isUnderMedia(mountPath))
        kind = VolumeKind::Removable;
    else
        kind = VolumeKind::Local;
    // Anything else must be a real device, or sit where users mount things themselves.
    return startsWith(entry.device, "/dev/") || isUnderMedia(mountPath) ||
           startsWith(mountPath, "/mnt/") || entry.type == "zfs" || entry.type == "btrfs";
}

std::string canonicalDevice(const std::string& device)
{
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(device, ec);
    return ec ? device : resolved.string();
}

// Labels are stored as link names in which unsafe characters appear as \xHH.
std::string decodeLabel(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex(name.substr(i + 2, 2));
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

std::map<std::string, std::string> systemLabels()
{
    std::map<std::string, std::string> labels;
    std::error_code ec;
    // Without the folder (no udev, a container) no volume has a label.
    for (std::filesystem::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        const auto target = std::filesystem::canonical(it->path(), linkError);
        if (!linkError)
            labels[target.string()] = decodeLabel(it->path().filename().string());
    }
    return labels;
}

}  // namespace

std::vector<MountEntry> parseMountTable(std::string_view text)
{
    std::vector<MountEntry> entries;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        entries.push_back({decodeOctalEscapes(device), decodeOctalEscapes(mountPoint), type});
    }
    return entries;
}

std::vector<Volume> volumesFromMounts(const std::vector<MountEntry>& mounts,
                                      const std::map<std::string, std::string>& labelsByDevice)
{
    std::vector<Volume> volumes;
    for (const MountEntry& entry : mounts) {
        if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
            continue;
        const std::string mountPath = withSlash(entry.mountPoint);
        VolumeKind kind = VolumeKind::Local;
        const bool offered = classify(entry, mountPath, kind);
        // A later mount on the same point hides the earlier one.
        auto same = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const Volume& v) { return v.mountPath == mountPath; });
        if (same != volumes.end())
            volumes.erase(same);
        if (!offered)
            continue;
        Volume volume{mountPath, kind, {}};
        if (kind != VolumeKind::Network && kind != VolumeKind::Floppy) {
            const auto label = labelsByDevice.find(entry.device);
            if (label != labelsByDevice.end())
                volume.label = label->second;
        }
        volumes.push_back(std::move(volume));
    }
    if (std::none_of(volumes.begin(), volumes.end(), [](const Volume& v) { return v.mountPath == "/"; }))
        volumes.push_back({"/", VolumeKind::Local, {}});
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const Volume& a, const Volume& b) { return a.mountPath < b.mountPath; });
    return volumes;
}

std::string volumeCaption(const Volume& volume)
{
    std::string name;
    switch (volume.kind) {
    case VolumeKind::Floppy: name = "Floppy Drive"; break;
    case VolumeKind::Network: name = "Network Drive"; break;
    case VolumeKind::Removable: name = volume.label.empty() ? "Removable Disk" : volume.label; break;
    case VolumeKind::CdRom: name = volume.label.empty() ? "CDROM Drive" : volume.label; break;
    case VolumeKind::Local: name = volume.label.empty() ? "Local Disk" : volume.label; break;
    }
    return name + " (" + volume.mountPath + ")";
}

std::vector<Volume> volumesOfTable(const std::string& tablePath)
{
    std::ifstream table(tablePath);
    std::stringstream text;
    text << table.rdbuf();
    std::vector<MountEntry> mounts = parseMountTable(text.str());
    std::map<std::string, std::string> labels = systemLabels();
    for (MountEntry& entry : mounts) {
        if (startsWith(entry.device, "/dev/"))
            entry.device = canonicalDevice(entry.device);
    }
    return volumesFromMounts(mounts, labels);
}

int longestFolderOf(std::string_view path, const std::vector<std::string>& folders)
{
    const std::string full = withSlash(std::string(path));
    int best = -1;
    for (int i = 0; i < static_cast<int>(folders.size()); ++i) {
        const std::string& folder = folders[static_cast<std::size_t>(i)];
        if (!folder.empty() && startsWith(full, folder) &&
            (best < 0 || folder.size() > folders[static_cast<std::size_t>(best)].size()))
            best = i;
    }
    return best;
}

std::vector<std::string> pathComponents(std::string_view path)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            components.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

int matchComponent(const std::vector<std::string>& names, std::string_view component)
{
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        if (names[static_cast<std::size_t>(i)] == component)
            return i;
    }
    const QString wanted = fromUtf8(component);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        if (QString::fromStdString(names[static_cast<std::size_t>(i)]).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

}  // namespace corvane
