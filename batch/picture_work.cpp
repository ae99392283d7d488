#include "batch/picture_work.h"

#include "batch/name_format.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/tag_write.h"

namespace corvane::batch {

namespace {

// No tag holds more than 256 MB; an image file larger than this is refused before it is read.
constexpr std::uint64_t kMaxImageFile = 128u << 20;

std::string fileNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The extension of an image file: by the image's bytes, else by the subtype of its MIME type.
std::string extensionOf(tags::ImageFormat format, std::string_view mime)
{
    if (format != tags::ImageFormat::Unknown) return std::string(tags::fileExtensionOf(format));
    const auto slash = mime.find('/');
    std::string subtype;
    for (const char c : mime.substr(slash == std::string_view::npos ? 0 : slash + 1)) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) subtype += c;
        else if (c >= 'A' && c <= 'Z') subtype += static_cast<char>(c - 'A' + 'a');
    }
    if (subtype.empty() || subtype.size() > 8) return std::string(tags::fileExtensionOf(format));
    return "." + subtype;
}

tags::TagRecord recordOf(tags::FileIo& file)
{
    tags::TagRecord record;
    // A tag that cannot be read gives empty values; the name then comes from what is left.
    (void)tags::readId3v1(file, record.slotList(), false);
    (void)tags::readId3v2(file, record.slotList());
    return record;
}

FileOutcome written()
{
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    return outcome;
}

}  // namespace

ImageFileRead readImageFile(const std::string& path, std::uint8_t type, std::string description)
{
    ImageFileRead read;
    tags::File file = tags::File::open(path, tags::OpenMode::Read);
    if (!file.isOpen()) {
        read.reason = tags::errorString(file.error());
        return read;
    }
    const auto length = file.length();
    if (!length) {
        read.reason = file.errorText();
        return read;
    }
    if (*length > kMaxImageFile) {
        read.reason = "the image is too large for a tag";
        return read;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*length));
    if (!file.readExactAt(0, bytes)) {
        read.reason = file.errorText();
        return read;
    }
    read.picture = tags::pictureFromImage(std::move(bytes), type, std::move(description));
    if (!read.picture) read.reason = "not a JPEG or PNG image";
    return read;
}

PictureWriteOptions setCoverOptions(std::shared_ptr<const tags::PictureData> picture)
{
    PictureWriteOptions options;
    options.replaces.type = tags::kFrontCoverType;
    options.picture = std::move(picture);
    return options;
}

PictureWriteOptions addPictureOptions(std::shared_ptr<const tags::PictureData> picture)
{
    PictureWriteOptions options;
    options.replaces.type = picture->type;
    options.replaces.description = picture->description;
    options.picture = std::move(picture);
    return options;
}

FileOutcome writePicture(tags::FileIo& file, const PictureWriteOptions& options)
{
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.compact = options.compact;
    changes.newTagMajor = options.newTagMajor;
    changes.pictures.push_back({tags::PictureAction::Set, options.replaces, options.picture, false});
    return writeChanges(file, changes, {});
}

FileOutcome removePictures(tags::FileIo& file, const tags::PictureMatch& match, bool compact)
{
    const auto listing = tags::listPictures(file);
    if (listing.status == tags::TagRead::Failed) return FileOutcome::failed(file.errorText());
    bool any = false;
    for (std::size_t i = 0; i < listing.pictures.size(); ++i) any = any || match.matches(i, listing.pictures[i]);
    if (!any) return FileOutcome::skipped("no picture to remove");
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.compact = compact;
    changes.pictures.push_back({tags::PictureAction::Remove, match, nullptr, false});
    return writeChanges(file, changes, {});
}

ExtractResult PictureExtraction::extract(tags::FileIo& file, const std::string& mp3Path)
{
    ExtractResult result;
    const auto listing = tags::listPictures(file);
    if (listing.status == tags::TagRead::Failed) {
        result.outcome = FileOutcome::failed(file.errorText());
        return result;
    }
    std::optional<std::size_t> chosen = tags::coverIndex(listing.pictures);
    if (m_options.type) {
        chosen.reset();
        for (std::size_t i = 0; i < listing.pictures.size() && !chosen; ++i) {
            if (listing.pictures[i].fields.type == *m_options.type) chosen = i;
        }
    }
    if (!chosen) {
        result.outcome = FileOutcome::skipped(m_options.type ? "the file has no picture of that type"
                                                             : "the file has no picture");
        return result;
    }
    const auto image = tags::readPictureImage(file, listing, *chosen);
    if (!image) {
        result.outcome = FileOutcome::failed("the picture cannot be read: " + file.errorText());
        return result;
    }
    const auto& picture = listing.pictures[*chosen];
    result.target = targetFor(file, mp3Path, picture);
    if (m_written.contains(result.target)) {
        result.outcome = FileOutcome::skipped(result.target + " holds the picture of an earlier file");
        return result;
    }
    const auto write = tags::writeWholeFile(result.target, *image, m_options.overwrite);
    if (write.exists) {
        result.targetExists = true;
        result.outcome = FileOutcome::skipped(result.target + " exists");
    } else if (!write.ok) {
        result.outcome = FileOutcome::failed(result.target + ": " + write.reason);
    } else {
        m_written.insert(result.target);
        result.outcome = written();
    }
    return result;
}

std::string PictureExtraction::targetFor(tags::FileIo& file, const std::string& mp3Path,
                                         const tags::PictureInfo& picture) const
{
    if (!m_options.outFile.empty()) return m_options.outFile;
    const std::string extension = extensionOf(picture.format, picture.fields.mime);
    if (m_options.besideAsCover) return folderOf(mp3Path) + "cover" + extension;
    const std::string fileName = fileNameOf(mp3Path);
    std::string name = m_options.nameFormat;
    if (name.find('%') != std::string::npos) {
        const tags::TagRecord record = recordOf(file);
        const auto values = tagPlaceholders(record, fileName);
        name = expandNameFormat(name, values);
        // A format whose fields this file lacks (" - " of "%artist% - %album%") names nothing.
        const auto blank = expandNameFormat(m_options.nameFormat, [&values](std::string_view n) {
            return values(n) ? std::optional<std::string>(std::string()) : std::nullopt;
        });
        if (name == blank) name.clear();
    }
    name = cleanFileName(name);
    if (name.empty()) name = cleanFileName(withoutMp3Extension(fileName));
    return m_options.folder + name + extension;
}

std::optional<std::string> sharedAlbum(const std::vector<std::string>& paths)
{
    std::optional<std::string> album;
    for (const auto& path : paths) {
        tags::File file = tags::File::open(path, tags::OpenMode::Read);
        if (!file.isOpen()) return std::nullopt;
        const auto record = recordOf(file);
        std::string value = record[tags::RecordSlot::Album].text();
        if (value.empty()) value = record[tags::RecordSlot::V1Album].text();
        if (value.empty() || (album && *album != value)) return std::nullopt;
        album = value;
    }
    return album;
}

}  // namespace corvane::batch
