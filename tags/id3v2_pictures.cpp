#include "tags/id3v2_pictures.h"

#include <algorithm>
#include <set>

#include "tags/id3v2_fields.h"
#include "tags/text_encoding.h"

namespace corvane::tags {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A listing reads this much of a picture frame's body for the fields before the image: a MIME
// type and a description of any sensible length.
constexpr std::size_t kHeadRead = 1024;
// The bytes of the image a listing looks at to tell its format.
constexpr std::size_t kFormatBytes = 8;

bool isPictureFrame(const FrameRef& ref) { return ref.id() == kPictureFrameId; }

// A text of a picture frame ends at a zero byte, so no text written there may hold one: it would
// end the text early and turn the rest into the image.
std::string_view untilZero(std::string_view text) { return text.substr(0, text.find('\0')); }

// The fields of a whole decoded body, with the image as a part of it.
struct DecodedPicture {
    PictureFields fields;
    std::span<const std::uint8_t> image;
};

std::optional<DecodedPicture> decodePicture(std::span<const std::uint8_t> body, std::uint8_t major)
{
    auto fields = parsePictureHead(body, body.size(), major);
    if (!fields) return std::nullopt;
    const auto image = body.subspan(static_cast<std::size_t>(fields->imageOffset));
    return DecodedPicture{std::move(*fields), image};
}

PictureInfo infoOf(const RawFrame& frame, std::size_t index, const DecodedPicture& decoded)
{
    PictureInfo info;
    info.frame = frame.ref;
    info.frameIndex = index;
    info.fields = decoded.fields;
    info.imageSize = decoded.image.size();
    info.format = imageFormatOf(decoded.image.first(std::min(decoded.image.size(), kFormatBytes)));
    info.pixels = imagePixelSize(decoded.image);
    return info;
}

// A listed picture read whole: a frame that must be decoded (compressed, unsynchronised, ...),
// or one whose description runs past the first read.
std::optional<PictureInfo> readStoredPicture(FileIo& file, const FrameRef& ref, std::size_t index,
                                               std::uint8_t major, bool& failed)
{
    RawFrame frame;
    frame.ref = ref;
    frame.bytes.resize(static_cast<std::size_t>(ref.endOffset() - ref.offset));
    if (!file.readExactAt(kId3v2HeaderSize + ref.offset, frame.bytes)) {
        failed = true;
        return std::nullopt;
    }
    const auto body = decodeFrameBody(frame.body(), ref.flags, major);
    if (!body.isReadable()) return std::nullopt;
    const auto decoded = decodePicture(body.data, major);
    if (!decoded) return std::nullopt;
    return infoOf(frame, index, *decoded);
}

TagRead readStatusOf(LayoutStatus status)
{
    switch (status) {
        case LayoutStatus::Absent: return TagRead::Absent;
        case LayoutStatus::Present: return TagRead::Present;
        case LayoutStatus::Unsupported: return TagRead::Unsupported;
        case LayoutStatus::Failed: break;
    }
    return TagRead::Failed;
}

}  // namespace

std::optional<PictureInfo> peekPicture(TagBytes& bytes, const FrameRef& ref, std::uint8_t major,
                                       std::size_t headLimit, bool& failed)
{
    const auto head = bytes.at(ref.bodyOffset(),
                               static_cast<std::size_t>(std::min<std::uint64_t>(ref.size, headLimit)));
    if (!head) {
        failed = true;
        return std::nullopt;
    }
    auto fields = parsePictureHead(*head, ref.size, major);
    if (!fields) return std::nullopt;
    PictureInfo info;
    info.frame = ref;
    info.fields = std::move(*fields);
    info.imageSize = ref.size - info.fields.imageOffset;
    const std::uint64_t imageStart = ref.bodyOffset() + info.fields.imageOffset;
    const auto first = bytes.at(imageStart, static_cast<std::size_t>(std::min<std::uint64_t>(info.imageSize, kFormatBytes)));
    if (!first) {
        failed = true;
        return std::nullopt;
    }
    info.format = imageFormatOf(*first);
    info.pixels = imagePixelSize(bytes, imageStart, info.imageSize);
    return info;
}

std::string mimeOfV22Format(std::string_view format)
{
    std::string lower(format);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return lower == "jpg" ? "image/jpeg" : "image/" + lower;
}

std::optional<PictureFields> parsePictureHead(std::span<const std::uint8_t> head,
                                              std::uint64_t bodySize, std::uint8_t major)
{
    if (head.empty()) return std::nullopt;
    PictureFields fields;
    const std::uint8_t encoding = head[0];
    std::span<const std::uint8_t> rest = head.subspan(1);
    if (major == 2) {
        // encoding, a three-letter image format, type, description, image
        if (rest.size() < 4) return std::nullopt;
        fields.mime = mimeOfV22Format(std::string(rest.begin(), rest.begin() + 3));
        rest = rest.subspan(3);
    } else {
        const auto mime = std::find(rest.begin(), rest.end(), std::uint8_t{0});
        if (mime == rest.end()) return std::nullopt;
        fields.mime = latin1ToUtf8(rest.first(static_cast<std::size_t>(mime - rest.begin())));
        rest = rest.subspan(static_cast<std::size_t>(mime - rest.begin()) + 1);
    }
    if (rest.empty()) return std::nullopt;
    fields.type = rest[0];
    const auto description = splitTerminated(encoding, rest.subspan(1));
    // Without a terminator in what was read the description may go on beyond it.
    if (!description.terminated && head.size() < bodySize) return std::nullopt;
    fields.description = description.text;
    fields.imageOffset = head.size() - description.rest.size();
    return fields;
}

std::optional<PictureData> pictureFromImage(std::vector<std::uint8_t> image, std::uint8_t type,
                                            std::string description)
{
    const auto format = imageFormatOf(image);
    if (format == ImageFormat::Unknown) return std::nullopt;
    PictureData picture;
    picture.type = type;
    picture.mime = std::string(mimeTypeOf(format));
    picture.description = std::move(description);
    picture.image = std::move(image);
    return picture;
}

std::vector<std::uint8_t> encodePictureFrame(const PictureData& picture, std::uint8_t major)
{
    const auto wanted = untilZero(picture.description);
    const auto encoding = textEncodingFor({wanted}, major);
    const std::string mime = utf8ToLatin1(untilZero(picture.mime));
    const std::string description = encodeText(wanted, encoding);
    const std::string_view end = terminator(encoding);
    const std::size_t bodySize =
        1 + mime.size() + 1 + 1 + description.size() + end.size() + picture.image.size();
    Bytes frame = frameHeaderBytes(kPictureFrameId, bodySize, major);
    frame.reserve(frame.size() + bodySize);
    frame.push_back(static_cast<std::uint8_t>(encoding));
    frame.insert(frame.end(), mime.begin(), mime.end());
    frame.push_back(0);
    frame.push_back(picture.type);
    frame.insert(frame.end(), description.begin(), description.end());
    frame.insert(frame.end(), end.begin(), end.end());
    frame.insert(frame.end(), picture.image.begin(), picture.image.end());
    return frame;
}

std::vector<PictureInfo> picturesOf(const Id3v2Layout& layout)
{
    std::vector<PictureInfo> pictures;
    const auto major = layout.header.major;
    for (std::size_t i = 0; i < layout.frames.size(); ++i) {
        const RawFrame& frame = layout.frames[i];
        if (!isPictureFrame(frame.ref) || frame.bytes.empty()) continue;
        const auto body = decodeFrameBody(frame.body(), frame.ref.flags, major);
        if (!body.isReadable()) continue;
        if (const auto decoded = decodePicture(body.data, major))
            pictures.push_back(infoOf(frame, i, *decoded));
    }
    return pictures;
}

std::optional<std::size_t> coverIndex(std::span<const PictureInfo> pictures)
{
    if (pictures.empty()) return std::nullopt;
    const auto front = std::find_if(pictures.begin(), pictures.end(), [](const PictureInfo& p) {
        return p.fields.type == kFrontCoverType;
    });
    return front == pictures.end() ? 0 : static_cast<std::size_t>(front - pictures.begin());
}

PictureListing listPictures(FileIo& file)
{
    PictureListing listing;
    // Only the frame headers at first: the pictures are looked at in place below.
    auto layout = readId3v2Layout(file, LayoutCheck::Frames, [](std::string_view) { return false; });
    listing.status = readStatusOf(layout.status);
    listing.major = layout.header.major;
    listing.unsynchronised = layout.unsynchronised;
    if (!layout.isPresent()) return listing;
    if (layout.unsynchronised) {
        // Such a tag is read whole anyway, and its frames are not where the file holds them.
        layout = readId3v2Layout(file, LayoutCheck::Frames,
                                 [](std::string_view id) { return id == kPictureFrameId; });
        listing.status = readStatusOf(layout.status);
        listing.pictures = picturesOf(layout);
        return listing;
    }
    const auto length = file.length();
    if (!length) {
        listing.status = TagRead::Failed;
        return listing;
    }
    const std::uint64_t available = std::min<std::uint64_t>(
        layout.header.tagSize, *length > kId3v2HeaderSize ? *length - kId3v2HeaderSize : 0);
    FileTagBytes bytes(file, available, {}, kPictureWindowRead);
    bool failed = false;
    for (std::size_t i = 0; i < layout.frames.size() && !failed; ++i) {
        const FrameRef& ref = layout.frames[i].ref;
        if (!isPictureFrame(ref) || isEncryptedFrame(ref.flags, listing.major)) continue;
        std::optional<PictureInfo> info;
        if (!needsDecoding(ref.flags, listing.major)) {
            info = peekPicture(bytes, ref, listing.major, kHeadRead, failed);
            if (info) info->frameIndex = i;
        }
        const bool wholeNeeded = needsDecoding(ref.flags, listing.major) || ref.size > kHeadRead;
        if (!info && !failed && wholeNeeded)
            info = readStoredPicture(file, ref, i, listing.major, failed);
        if (info) listing.pictures.push_back(std::move(*info));
    }
    if (failed) listing.status = TagRead::Failed;
    return listing;
}

std::optional<std::vector<std::uint8_t>> readPictureImage(FileIo& file, const PictureListing& listing,
                                                          std::size_t position)
{
    if (position >= listing.pictures.size()) return std::nullopt;
    const PictureInfo& info = listing.pictures[position];
    const auto fits = [&info](const PictureInfo& found) {
        return found.frame.offset == info.frame.offset && found.imageSize == info.imageSize;
    };
    if (listing.unsynchronised) {
        const auto layout = readId3v2Layout(file, LayoutCheck::Frames, [](std::string_view id) {
            return id == kPictureFrameId;
        });
        if (info.frameIndex >= layout.frames.size()) return std::nullopt;
        const RawFrame& frame = layout.frames[info.frameIndex];
        const auto body = decodeFrameBody(frame.body(), frame.ref.flags, listing.major);
        const auto decoded = body.isReadable() ? decodePicture(body.data, listing.major) : std::nullopt;
        if (!decoded || !fits(infoOf(frame, info.frameIndex, *decoded))) return std::nullopt;
        return std::vector<std::uint8_t>(decoded->image.begin(), decoded->image.end());
    }
    RawFrame frame;
    frame.ref = info.frame;
    frame.bytes.resize(static_cast<std::size_t>(info.frame.endOffset() - info.frame.offset));
    if (!file.readExactAt(kId3v2HeaderSize + info.frame.offset, frame.bytes)) return std::nullopt;
    // The file may have been rewritten since it was listed.
    const std::string_view storedId = listing.major == 2 ? "PIC" : kPictureFrameId;
    if (!std::equal(storedId.begin(), storedId.end(), frame.bytes.begin())) return std::nullopt;
    const auto body = decodeFrameBody(frame.body(), frame.ref.flags, listing.major);
    if (!body.isReadable()) return std::nullopt;
    const auto decoded = decodePicture(body.data, listing.major);
    if (!decoded || decoded->image.size() != info.imageSize) return std::nullopt;
    return std::vector<std::uint8_t>(decoded->image.begin(), decoded->image.end());
}

bool PictureMatch::matches(std::size_t at, const PictureInfo& picture) const
{
    return (!position || *position == at) && (!type || *type == picture.fields.type) &&
           (!description || *description == picture.fields.description) &&
           (!largerThan || picture.imageSize > *largerThan) &&
           (!imageSize || picture.imageSize == *imageSize);
}

std::string uniquePictureDescription(std::string_view wanted, std::uint8_t type,
                                     const std::function<bool(std::string_view)>& taken)
{
    if (!taken(wanted)) return std::string(wanted);
    const std::string base = wanted.empty() ? pictureTypeName(type) : std::string(wanted);
    if (!taken(base)) return base;
    for (int n = 2;; ++n) {
        std::string numbered = base + " " + std::to_string(n);
        if (!taken(numbered)) return numbered;
    }
}

namespace {

// The descriptions of the pictures a tag holds while its edits are worked out.
class Descriptions {
public:
    explicit Descriptions(const std::vector<PictureInfo>& pictures)
    {
        for (const auto& picture : pictures) m_held.insert(picture.fields.description);
    }
    void release(const PictureInfo& picture)
    {
        const auto it = m_held.find(picture.fields.description);
        if (it != m_held.end()) m_held.erase(it);
    }
    // The frame of a picture written now, under a description no other picture holds.
    std::vector<std::uint8_t> frameOf(const PictureData& picture, std::uint8_t major)
    {
        const auto description = uniquePictureDescription(
            untilZero(picture.description), picture.type,
            [this](std::string_view d) { return m_held.contains(std::string(d)); });
        m_held.insert(description);
        if (description == untilZero(picture.description)) return encodePictureFrame(picture, major);
        PictureData renamed = picture;
        renamed.description = description;
        return encodePictureFrame(renamed, major);
    }

private:
    std::multiset<std::string> m_held;
};

}  // namespace

ResolvedPictures resolvePictureEdits(const Id3v2Layout& layout, std::span<const PictureEdit> edits,
                                     std::uint8_t major, const std::vector<bool>& taken)
{
    ResolvedPictures resolved;
    const auto pictures = layout.isPresent() ? picturesOf(layout) : std::vector<PictureInfo>{};
    std::vector<bool> claimed(pictures.size(), false);
    for (std::size_t k = 0; k < pictures.size(); ++k)
        claimed[k] = pictures[k].frameIndex < taken.size() && taken[pictures[k].frameIndex];
    Descriptions descriptions(pictures);
    for (const PictureEdit& edit : edits) {
        std::vector<std::size_t> matched;
        if (edit.action != PictureAction::Add) {
            for (std::size_t k = 0; k < pictures.size(); ++k) {
                if (!claimed[k] && edit.match.matches(k, pictures[k])) matched.push_back(k);
            }
        }
        if (edit.required && matched.empty()) {
            resolved.stale = true;
            resolved.changes.clear();
            return resolved;
        }
        for (const std::size_t k : matched) {
            descriptions.release(pictures[k]);
            claimed[k] = true;
        }
        const bool writes = edit.action != PictureAction::Remove && edit.picture != nullptr;
        std::size_t first = 0;
        if (writes && (edit.action == PictureAction::Add || matched.empty())) {
            resolved.changes.push_back({std::nullopt, false, descriptions.frameOf(*edit.picture, major)});
        } else if (writes) {
            resolved.changes.push_back({pictures[matched.front()].frameIndex, false,
                                        descriptions.frameOf(*edit.picture, major)});
            first = 1;
        }
        for (std::size_t m = first; m < matched.size(); ++m)
            resolved.changes.push_back({pictures[matched[m]].frameIndex, true, {}});
    }
    return resolved;
}

}  // namespace corvane::tags
