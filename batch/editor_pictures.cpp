#include "batch/editor_pictures.h"

#include <algorithm>

#include "tags/file.h"

namespace corvane::batch {

void EditorPictures::load(std::string path, tags::PictureListing listing)
{
    m_path = std::move(path);
    m_listing = std::move(listing);
    revert();
}

void EditorPictures::revert()
{
    // The images read so far stay: they are still the file's.
    std::vector<std::shared_ptr<const std::vector<std::uint8_t>>> read(m_listing.pictures.size());
    for (const auto& entry : m_entries) {
        if (entry.origin && *entry.origin < read.size()) read[*entry.origin] = entry.image;
    }
    m_entries.clear();
    m_removed.clear();
    for (std::size_t i = 0; i < m_listing.pictures.size(); ++i) m_entries.push_back({i, nullptr, read[i]});
}

bool EditorPictures::reload()
{
    tags::File file = tags::File::open(m_path, tags::OpenMode::Read);
    auto listing = file.isOpen() ? tags::listPictures(file) : tags::PictureListing{};
    const bool ok = file.isOpen() && listing.status != tags::TagRead::Failed;
    m_entries.clear();
    load(m_path, std::move(listing));
    return ok;
}

EditorPictures::Shown EditorPictures::shown(std::size_t index) const
{
    const Entry& entry = m_entries.at(index);
    Shown shown;
    if (entry.replacement) {
        const auto& picture = *entry.replacement;
        shown.type = picture.type;
        shown.mime = picture.mime;
        shown.description = picture.description;
        shown.imageSize = picture.image.size();
        shown.pixels = tags::imagePixelSize(picture.image);
        return shown;
    }
    const auto& info = m_listing.pictures[*entry.origin];
    shown.type = info.fields.type;
    shown.mime = info.fields.mime;
    shown.description = info.fields.description;
    shown.imageSize = info.imageSize;
    shown.pixels = info.pixels;
    return shown;
}

std::optional<std::size_t> EditorPictures::coverIndex() const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (shown(i).type == tags::kFrontCoverType) return i;
    }
    return m_entries.empty() ? std::nullopt : std::optional<std::size_t>(0);
}

std::shared_ptr<const std::vector<std::uint8_t>> EditorPictures::image(std::size_t index)
{
    Entry& entry = m_entries.at(index);
    if (entry.replacement)
        return std::shared_ptr<const std::vector<std::uint8_t>>(entry.replacement, &entry.replacement->image);
    if (!entry.image) {
        tags::File file = tags::File::open(m_path, tags::OpenMode::Read);
        // A file that cannot be read now shows no image; the caller says so.
        if (!file.isOpen()) return nullptr;
        auto bytes = tags::readPictureImage(file, m_listing, *entry.origin);
        if (!bytes) return nullptr;
        entry.image = std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes));
    }
    return entry.image;
}

bool EditorPictures::isDescribed(std::string_view description, std::optional<std::size_t> except) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (i != except && shown(i).description == description) return true;
    }
    return false;
}

void EditorPictures::add(tags::PictureData picture)
{
    picture.description = tags::uniquePictureDescription(
        picture.description, picture.type,
        [this](std::string_view d) { return isDescribed(d, std::nullopt); });
    m_entries.push_back({std::nullopt, std::make_shared<const tags::PictureData>(std::move(picture)), nullptr});
}

void EditorPictures::replace(std::size_t index, tags::PictureData picture)
{
    const Shown old = shown(index);
    picture.type = old.type;
    picture.description = old.description;
    m_entries.at(index).replacement = std::make_shared<const tags::PictureData>(std::move(picture));
}

EditorPictures::Retyped EditorPictures::setTypeAndDescription(std::size_t index, std::uint8_t type,
                                                              std::string description)
{
    const Shown old = shown(index);
    if (old.type == type && old.description == description) return Retyped::Done;
    if (isDescribed(description, index)) return Retyped::DescriptionTaken;
    const auto bytes = image(index);
    if (!bytes) return Retyped::Unreadable;
    tags::PictureData picture{type, old.mime, std::move(description), *bytes};
    m_entries.at(index).replacement = std::make_shared<const tags::PictureData>(std::move(picture));
    return Retyped::Done;
}

void EditorPictures::remove(std::size_t index)
{
    const auto origin = m_entries.at(index).origin;
    if (origin) m_removed.push_back(*origin);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

bool EditorPictures::isModified() const
{
    return !m_removed.empty() || std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) {
               return e.replacement != nullptr;
           });
}

tags::PictureMatch EditorPictures::matchOf(std::size_t origin) const
{
    tags::PictureMatch match;
    match.position = origin;
    match.imageSize = m_listing.pictures[origin].imageSize;
    return match;
}

std::vector<tags::PictureEdit> EditorPictures::edits() const
{
    std::vector<tags::PictureEdit> edits;
    for (const std::size_t origin : m_removed)
        edits.push_back({tags::PictureAction::Remove, matchOf(origin), nullptr, true});
    for (const auto& entry : m_entries) {
        if (!entry.replacement) continue;
        if (entry.origin)
            edits.push_back({tags::PictureAction::Set, matchOf(*entry.origin), entry.replacement, true});
        else
            edits.push_back({tags::PictureAction::Add, {}, entry.replacement, false});
    }
    return edits;
}

}  // namespace corvane::batch
