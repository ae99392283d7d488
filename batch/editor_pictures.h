#pragma once
// The pictures of the file the tag editor shows, and what the user did to them before saving:
// pictures added, replaced, retyped, described anew or removed. Nothing is written here; the
// changes become the picture edits of the editor's save, and an image is read from the file
// only when it is asked for, once.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tags/id3v2_pictures.h"

namespace corvane::batch {

class EditorPictures {
public:
    // What the editor shows of one picture.
    struct Shown {
        std::uint8_t type = 0;
        std::string mime;
        std::string description;
        std::uint64_t imageSize = 0;
        std::optional<tags::PixelSize> pixels;
    };

    // Takes the pictures of the file at path as listed when it was loaded; forgets every change.
    void load(std::string path, tags::PictureListing listing);
    // Forgets every change (Revert).
    void revert();
    // Lists the file's pictures again, after a save wrote the changes; false when it cannot.
    bool reload();

    [[nodiscard]] std::size_t count() const { return m_entries.size(); }
    [[nodiscard]] Shown shown(std::size_t index) const;
    // The picture shown first: the first front cover, else the first picture.
    [[nodiscard]] std::optional<std::size_t> coverIndex() const;
    // The image bytes of a picture; a picture of the file is read from it the first time. Null
    // when it cannot be read.
    [[nodiscard]] std::shared_ptr<const std::vector<std::uint8_t>> image(std::size_t index);

    // The changes; index is a picture's place in the list shown. An added picture whose
    // description another one has is described anew (see tags::uniquePictureDescription).
    void add(tags::PictureData picture);
    // The new image takes the place of the picture's, keeping its type and description.
    void replace(std::size_t index, tags::PictureData picture);
    enum class Retyped { Done, Unreadable, DescriptionTaken };
    // Unreadable when the picture's image cannot be read to be written again with them;
    // DescriptionTaken when another picture has the description (a tag holds one of each).
    [[nodiscard]] Retyped setTypeAndDescription(std::size_t index, std::uint8_t type,
                                                std::string description);
    void remove(std::size_t index);

    [[nodiscard]] bool isModified() const;
    // The edits that make the file's pictures what the list shows. Each names the picture it
    // changes by its place and size, so a file whose pictures changed since they were listed is
    // left alone.
    [[nodiscard]] std::vector<tags::PictureEdit> edits() const;

private:
    struct Entry {
        std::optional<std::size_t> origin;  // its place in the listing; none for an added picture
        std::shared_ptr<const tags::PictureData> replacement;  // an added or changed picture
        std::shared_ptr<const std::vector<std::uint8_t>> image;  // read once, for a listed one
    };

    [[nodiscard]] tags::PictureMatch matchOf(std::size_t origin) const;
    [[nodiscard]] bool isDescribed(std::string_view description, std::optional<std::size_t> except) const;

    std::string m_path;
    tags::PictureListing m_listing;
    std::vector<Entry> m_entries;
    std::vector<std::size_t> m_removed;  // places in the listing
};

}  // namespace corvane::batch
