#pragma once
// The batch operations on pictures: one picture written into every file (Set Cover, and
// `corvane-tag picture add`), pictures removed (Remove Pictures), and each file's picture written
// out as an image file (Extract Covers).

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/file_work.h"
#include "tags/file.h"
#include "tags/id3v2_pictures.h"

namespace corvane::batch {

// Reads an image file for a picture: its bytes when they are a JPEG or a PNG (told from the bytes,
// whatever the name says), else a reason to give the user.
struct ImageFileRead {
    std::optional<tags::PictureData> picture;
    std::string reason;
};
[[nodiscard]] ImageFileRead readImageFile(const std::string& path, std::uint8_t type,
                                          std::string description = {});

struct PictureWriteOptions {
    std::shared_ptr<const tags::PictureData> picture;
    // The pictures it takes the place of: the first keeps its place, the others go; with none,
    // the picture is added.
    tags::PictureMatch replaces;
    bool compact = false;          // give the ID3v2 tag's free space back
    std::uint8_t newTagMajor = 3;  // the version of a tag created in a file without one
};

// Set Cover: the picture as the front cover, in place of every front cover the file has.
[[nodiscard]] PictureWriteOptions setCoverOptions(std::shared_ptr<const tags::PictureData> picture);
// picture add: in place of a picture of the same type and description (a tag holds one picture
// of each description), else added.
[[nodiscard]] PictureWriteOptions addPictureOptions(std::shared_ptr<const tags::PictureData> picture);

// Writes the picture into one open file. A 2.2 tag fails ("convert it first"); every other frame
// keeps its bytes.
[[nodiscard]] FileOutcome writePicture(tags::FileIo& file, const PictureWriteOptions& options);

// Removes the file's pictures that match; Skipped when none does.
[[nodiscard]] FileOutcome removePictures(tags::FileIo& file, const tags::PictureMatch& match,
                                         bool compact = false);

// Where Extract Covers puts each file's picture.
struct ExtractOptions {
    // The type to take; without one the cover (the first front cover, else the first picture).
    std::optional<std::uint8_t> type;
    // One of three: a file named outFile; a file in folder (ending with "/") named by nameFormat
    // (see name_format.h) and the image's own extension; or, with besideAsCover, "cover" and the
    // extension beside each MP3 file.
    std::string outFile;
    std::string folder;
    std::string nameFormat = "%filename%";
    bool besideAsCover = false;
    bool overwrite = false;  // replace a file that is in the way
};

struct ExtractResult {
    FileOutcome outcome;  // Written when the image file was written
    std::string target;   // the image file's path
    bool targetExists = false;  // Skipped because target was there (and overwrite was off)
};

// Extract Covers over a run: each file's picture to its image file. A target an earlier file of
// the same run wrote (a whole album's cover.jpg) is not written again: that file is Skipped.
class PictureExtraction {
public:
    explicit PictureExtraction(ExtractOptions options) : m_options(std::move(options)) {}

    // mp3Path is the open file's path. The file is only read.
    [[nodiscard]] ExtractResult extract(tags::FileIo& file, const std::string& mp3Path);

private:
    [[nodiscard]] std::string targetFor(tags::FileIo& file, const std::string& mp3Path,
                                        const tags::PictureInfo& picture) const;

    ExtractOptions m_options;
    std::set<std::string> m_written;
};

// The album the files share (the ID3v2 album, else the ID3v1 one), or nullopt when two differ,
// one has none or one cannot be read.
[[nodiscard]] std::optional<std::string> sharedAlbum(const std::vector<std::string>& paths);

}  // namespace corvane::batch
