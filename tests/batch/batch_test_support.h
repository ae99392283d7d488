#pragma once
// What the batch tests share: reading a file's tags back through the core's readers, and a file
// whose writes fail as on a full disk.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tags/file.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/slot_list.h"
#include "tests/support/id3_builder.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

struct V1Fields {
    bool present = false;
    std::string track, title, artist, album, year, comment;
    int genre = -1;
};

inline V1Fields readV1(const std::string& path)
{
    auto file = tags::File::open(path, tags::OpenMode::Read);
    EXPECT_TRUE(file.isOpen()) << path;
    tags::SlotList list(7);
    for (auto& slot : list) slot.value = std::string();
    V1Fields fields;
    fields.present = tags::readId3v1(file, list, true) == tags::TagRead::Present;
    fields.track = list[0].text();
    fields.title = list[1].text();
    fields.artist = list[2].text();
    fields.album = list[3].text();
    fields.year = list[4].text();
    fields.comment = list[5].text();
    if (fields.present && !list[6].text().empty())
        fields.genre = static_cast<std::uint8_t>(list[6].text()[0]);
    return fields;
}

// The editor's view of the ID3v2 frames: frame id -> text, only frames present.
inline std::map<std::string, std::string> readV2(const std::string& path)
{
    auto file = tags::File::open(path, tags::OpenMode::Read);
    EXPECT_TRUE(file.isOpen()) << path;
    tags::TagRecord record;
    const auto result = tags::readId3v2(file, record.slotList());
    std::map<std::string, std::string> frames;
    if (result.status != tags::TagRead::Present) return frames;
    for (std::size_t i = 6; i < record.slotList().size(); ++i) {
        if (record.slotList()[i].hasValue()) frames[record.slotList()[i].key] = record.slotList()[i].text();
    }
    return frames;
}

// Reads go to the real file; every write, truncation and extension fails as on a full disk.
class FullDisk final : public tags::FileIo {
public:
    explicit FullDisk(tags::File& inner) : m_inner(inner) {}
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> data) override
    {
        return m_inner.readAt(offset, data);
    }
    bool writeAt(std::uint64_t, std::span<const std::uint8_t>) override { return false; }
    std::optional<std::uint64_t> length() override { return m_inner.length(); }
    bool truncate(std::uint64_t) override { return false; }
    bool reserve(std::uint64_t) override { return false; }
    std::string errorText() const override { return "No space left on device"; }

private:
    tags::File& m_inner;
};

inline tags::File openUpdate(const std::string& path)
{
    auto file = tags::File::open(path, tags::OpenMode::Update);
    EXPECT_TRUE(file.isOpen()) << path;
    return file;
}

}  // namespace corvane::test
