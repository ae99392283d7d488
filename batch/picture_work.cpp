#include "batch/picture_work.h"

#include "batch/file_names.h"
#include "batch/file_values.h"
#include "batch/name_format.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/tag_write.h"

namespace corvane::batch {

namespace {

// No tag holds more than 256 MB; an image file larger than this is refused before it is read.
constexpr std::uint64_t kMaxImageFile = 128u << 20;

// A file's name without its ".mp3" ending (any case).
std::string stemOf(std::string_view fileName)
{
    const std::string_view ending = mp3Ending(fileName);
    return std::string(fileName.ends_with(ending) ? fileName.substr(0, fileName.size() - ending.size())
                                                  : fileName);
}

// The name nameFormat gives a file's cover: the format with each field's value (the ID3v2 tag's,
// else the trailer's) and %filename% (the file's own name without ".mp3"); empty when the format
// is none or none of its placeholders has a value.
std::string coverName(tags::FileIo& file, std::string_view nameFormat, const std::string& stem)
{
    static constexpr std::string_view kFileName = "%filename%";
    // %filename% is no field: the pieces between its places are format strings of their own.
    std::vector<NameFormat> pieces;
    for (std::size_t from = 0;;) {
        const auto at = nameFormat.find(kFileName, from);
        std::string error;
        auto piece = parseNameFormat(nameFormat.substr(from, at == std::string_view::npos ? at : at - from), error);
        if (!piece) return {};
        pieces.push_back(std::move(*piece));
        if (at == std::string_view::npos) break;
        from = at + kFileName.size();
    }
    std::vector<FieldTarget> fields;
    for (const auto& piece : pieces)
        for (const auto& part : piece.parts)
            if (part.kind == FormatPart::Kind::Field) fields.push_back(part.field);
    const FileValues values = readFileValues(file, true, fields);
    bool anyValue = pieces.size() > 1;
    std::string name;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) name += stem;
        name += formatName(pieces[i], [&](const FieldTarget& field) {
            std::string value = values.value(TagKind::Id3v2, field).value_or("");
            if (value.empty()) value = values.value(TagKind::Id3v1, field).value_or("");
            anyValue = anyValue || !value.empty();
            return value;
        });
    }
    // A format whose fields this file lacks (" - " of "%artist% - %album%") names nothing.
    const bool placeholders = pieces.size() > 1 || !fields.empty();
    return placeholders && !anyValue ? std::string() : name;
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
    if (m_options.besideAsCover) return std::string(folderOf(mp3Path)) + "cover" + extension;
    const std::string stem = stemOf(nameOf(mp3Path));
    std::string name = cleanNameStem(coverName(file, m_options.nameFormat, stem), true);
    if (name.empty()) name = cleanNameStem(stem, true);
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
