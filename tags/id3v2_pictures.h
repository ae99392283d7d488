#pragma once
// The pictures of an ID3v2 tag: the attached-picture frames ("APIC"; 2.2's "PIC", read with the
// 2.3 identifier, keeps a three-letter image format where later versions have a MIME type), read
// without their image data until it is wanted, and the edits a write makes to them.
//
// A picture is named by its place among the pictures of the tag that can be read, in tag order
// (an encrypted picture is neither listed nor ever touched by an edit), or by what it is: its
// type, description and size.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tags/file.h"
#include "tags/id3v2_layout.h"
#include "tags/image_header.h"
#include "tags/tag_result.h"

namespace corvane::tags {

inline constexpr std::string_view kPictureFrameId = "APIC";

// The fields of a picture frame's body (decoded: after unsynchronisation, decompression and the
// like were undone). For 2.2 the format ("JPG", "PNG") is given as a MIME type ("image/jpeg").
struct PictureFields {
    std::uint8_t type = 0;
    std::string mime;
    std::string description;  // UTF-8
    std::uint64_t imageOffset = 0;  // where the image starts in the body
};

// The MIME type of a 2.2 picture's three-letter image format ("JPG" is "image/jpeg").
[[nodiscard]] std::string mimeOfV22Format(std::string_view format);

// Reads the fields before the image from the start of a body of bodySize bytes; head may be only
// its first part. nullopt when head ends before the description does (the caller may read more)
// or the body is too short to be a picture.
[[nodiscard]] std::optional<PictureFields> parsePictureHead(std::span<const std::uint8_t> head,
                                                            std::uint64_t bodySize,
                                                            std::uint8_t major);

// A tag holds one picture of each description. The description a new picture gets so that it
// is the only one with it: the one wanted when nobody has it, else (for an empty one) the type's
// name ("Back cover"), else that with a number ("Back cover 2").
[[nodiscard]] std::string uniquePictureDescription(
    std::string_view wanted, std::uint8_t type,
    const std::function<bool(std::string_view description)>& taken);

// A picture to write: its image and what the frame says about it.
struct PictureData {
    std::uint8_t type = kFrontCoverType;
    std::string mime;         // "image/jpeg"
    std::string description;  // UTF-8
    std::vector<std::uint8_t> image;
};

// The picture as a JPEG or PNG file's bytes give it, the MIME type from the bytes themselves;
// nullopt for any other kind of file.
[[nodiscard]] std::optional<PictureData> pictureFromImage(std::vector<std::uint8_t> image,
                                                          std::uint8_t type,
                                                          std::string description = {});

// The frame (header and body) of a picture in a tag of version major (3 or 4). The description
// is ISO-8859-1 when it can be, else UTF-16 in 2.3 and UTF-8 in 2.4; it and the MIME type end
// at a zero character, as the frame's texts do.
[[nodiscard]] std::vector<std::uint8_t> encodePictureFrame(const PictureData& picture,
                                                           std::uint8_t major);

// One picture of a tag, as listed.
struct PictureInfo {
    FrameRef frame;         // where its frame is and how it is stored
    std::size_t frameIndex = 0;  // among the frames of the tag
    PictureFields fields;
    std::uint64_t imageSize = 0;  // bytes of image data
    ImageFormat format = ImageFormat::Unknown;  // from the image's first bytes
    std::optional<PixelSize> pixels;            // from the image's header bytes
};

// How much a window read takes when the header bytes of a picture are looked at in a file: the
// fields and a typical image header in one read, a few hundred bytes for each segment after that.
inline constexpr std::size_t kPictureWindowRead = 512;

// A picture frame stored plain (needsDecoding false), looked at in place in a tag body: its
// fields from its first bytes (at most headLimit of them), its format and pixel size from the
// image's header bytes. nullopt when the fields do not end within headLimit bytes, the body is
// no picture, or a read failed (failed is then set).
[[nodiscard]] std::optional<PictureInfo> peekPicture(TagBytes& bytes, const FrameRef& ref,
                                                     std::uint8_t major, std::size_t headLimit,
                                                     bool& failed);

// The pictures of a layout whose frame bodies are in memory (the writer's read), in tag order.
[[nodiscard]] std::vector<PictureInfo> picturesOf(const Id3v2Layout& layout);

// The picture a file shows as its cover: the first front cover, else the first picture; nullopt
// without pictures.
[[nodiscard]] std::optional<std::size_t> coverIndex(std::span<const PictureInfo> pictures);

struct PictureListing {
    TagRead status = TagRead::Absent;
    std::uint8_t major = 0;
    bool unsynchronised = false;  // the whole tag is: its frames are not where the file has them
    std::vector<PictureInfo> pictures;
};

// Lists the pictures of the file's ID3v2 tag reading no image data: each frame's first bytes
// and the few header bytes that hold the pixel size. (A frame stored compressed or
// unsynchronised has to be read whole to be decoded.)
[[nodiscard]] PictureListing listPictures(FileIo& file);

// The image data of a listed picture, read from the file; nullopt when it cannot be read or its
// frame is no longer where the listing found it.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> readPictureImage(FileIo& file,
                                                                        const PictureListing& listing,
                                                                        std::size_t position);

// Which pictures an edit applies to: every condition given must hold.
struct PictureMatch {
    std::optional<std::size_t> position;      // the place among the tag's pictures, from 0
    std::optional<std::uint8_t> type;
    std::optional<std::string> description;
    std::optional<std::uint64_t> largerThan;  // image bytes
    std::optional<std::uint64_t> imageSize;   // exactly this many image bytes

    [[nodiscard]] bool matches(std::size_t at, const PictureInfo& picture) const;
};

enum class PictureAction {
    Remove,  // every matching picture goes
    Set,     // the first matching picture is replaced in its place and the others go; with none,
             // the picture is added
    Add,     // the picture is added after the tag's frames
};

struct PictureEdit {
    PictureAction action = PictureAction::Add;
    PictureMatch match;
    std::shared_ptr<const PictureData> picture;  // Set, Add; shared by every file of a run
    // The write is refused when no picture matches (the tag is not what the edit was made for).
    bool required = false;
};

// What the edits do to the frames of a tag, each picture touched by the first edit that matches
// it: a frame to drop, a frame to put in the place of another, or a new frame (no target). A
// picture written with a description another picture of the tag keeps is described anew (see
// uniquePictureDescription).
struct PictureFrameChange {
    std::optional<std::size_t> target;
    bool removal = false;
    std::vector<std::uint8_t> frame;
};
struct ResolvedPictures {
    bool stale = false;  // a required edit matched nothing: the tag is to be left alone
    std::vector<PictureFrameChange> changes;
};
// layout is the writer's read (absent for a file without a tag); frames of version major.
// Frames in taken are spoken for by other edits and are never matched.
[[nodiscard]] ResolvedPictures resolvePictureEdits(const Id3v2Layout& layout,
                                                   std::span<const PictureEdit> edits,
                                                   std::uint8_t major,
                                                   const std::vector<bool>& taken = {});

}  // namespace corvane::tags
