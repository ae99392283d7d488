#include "tags/id3v1.h"

#include "tags/field_catalogue.h"
#include "tags/text_encoding.h"
#include "tags/text_rules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace corvane::tags {

namespace {

using Trailer = std::array<std::uint8_t, kId3v1Size>;

// Layout of the trailer; the comment is always 29 bytes so that byte 126 is the track.
//   0 "TAG" | 3 title 30 | 33 artist 30 | 63 album 30 | 93 year 4 | 97 comment 29 |
//   126 track | 127 genre
constexpr std::size_t kTitleOffset = 3;
constexpr std::size_t kTrackOffset = 126;
constexpr std::size_t kGenreOffset = 127;
constexpr std::string_view kMagic = "TAG";

// Trailer offsets of the text fields, in V1FieldNo order (Title .. Comment).
constexpr std::array<std::size_t, 5> kTextOffsets{3, 33, 63, 93, 97};

bool hasMagic(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kMagic.size() &&
           std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) == 0;
}

struct TrailerProbe {
    bool ok = false;           // false: an I/O error
    std::uint64_t length = 0;  // of the whole file
    bool present = false;
    Trailer trailer{};  // the last 128 bytes, when present
};

// Reads the last 128 bytes and looks for "TAG" at their start, in one read: a caller that goes on
// to use the trailer needs no second one. A file shorter than that has no trailer.
TrailerProbe probeTrailer(FileIo& file)
{
    TrailerProbe probe;
    const auto length = file.length();
    if (!length)
        return probe;
    probe.length = *length;
    probe.ok = true;
    if (*length < kId3v1Size)
        return probe;
    if (!file.readExactAt(*length - kId3v1Size, probe.trailer)) {
        probe.ok = false;
        return probe;
    }
    probe.present = hasMagic(probe.trailer);
    return probe;
}

// A field's text ends at its first zero byte; the bytes are ISO-8859-1.
std::string fieldText(const Trailer& trailer, std::size_t offset, std::size_t width)
{
    const auto* begin = trailer.data() + offset;
    const auto* end = std::find(begin, begin + width, std::uint8_t{0});
    return latin1ToUtf8(std::span<const std::uint8_t>(begin, end));
}

void emptyTextSlots(SlotList& list)
{
    for (std::size_t i = 0; i < 6 && i < list.size(); ++i)
        list[i].value = std::string();
}

// Above 255 saturates; a negative number keeps its low eight bits, as a byte store of it would.
std::uint8_t trackByte(std::string_view text)
{
    const std::int64_t n = leadingInteger(text);
    if (n > 255)
        return 255;
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(n) & 0xFF);
}

std::uint8_t genreByte(const FieldSlot& entry)
{
    if (!entry.hasValue())
        return kNoGenre;
    const auto index = findGenre(*entry.value);
    return index ? static_cast<std::uint8_t>(*index) : kNoGenre;
}

const FieldSlot* findEntry(const SlotList& writeList, V1FieldNo field)
{
    const auto it = std::find_if(writeList.begin(), writeList.end(), [field](const FieldSlot& s) {
        return s.key.empty() && s.v1Field == field;
    });
    return it == writeList.end() ? nullptr : &*it;
}

void putText(Trailer& trailer, std::size_t offset, std::size_t width, const std::string& utf8)
{
    const std::string latin1 = utf8ToLatin1(utf8);
    const std::size_t n = std::min(latin1.size(), width);
    auto* field = trailer.data() + offset;
    std::fill(field, field + width, std::uint8_t{0});
    std::memcpy(field, latin1.data(), n);
}

// Applies the named entries; whatever the list does not name keeps its bytes.
void applyWriteList(Trailer& trailer, const SlotList& writeList)
{
    for (std::size_t f = 0; f < kTextOffsets.size(); ++f) {
        const auto field = static_cast<V1FieldNo>(static_cast<int>(f) + 1);
        if (const auto* entry = findEntry(writeList, field))
            putText(trailer, kTextOffsets[f], static_cast<std::size_t>(Id3v1FieldSizes[f]),
                    entry->text());
    }
    if (const auto* entry = findEntry(writeList, V1FieldNo::Track))
        trailer[kTrackOffset] = trackByte(entry->text());
    if (const auto* entry = findEntry(writeList, V1FieldNo::Genre))
        trailer[kGenreOffset] = genreByte(*entry);
}

WriteResult ioFailure(const FileIo& file)
{
    return WriteResult::failure(WriteStatus::IoError, file.errorText());
}

}  // namespace

TagRead readId3v1(FileIo& file, SlotList& list, bool genreIntoSlot6)
{
    const auto probe = probeTrailer(file);
    if (!probe.ok || !probe.present) {
        emptyTextSlots(list);
        return probe.ok ? TagRead::Absent : TagRead::Failed;
    }
    const Trailer& trailer = probe.trailer;
    for (std::size_t f = 0; f < kTextOffsets.size() && f + 1 < list.size(); ++f)
        list[f + 1].value = fieldText(trailer, kTextOffsets[f],
                                      static_cast<std::size_t>(Id3v1FieldSizes[f]));
    if (!list.empty()) {
        const std::uint8_t track = trailer[kTrackOffset];
        list[0].value = track == 0 ? std::string() : std::to_string(track);
    }

    const std::string genre(1, static_cast<char>(trailer[kGenreOffset]));
    const auto genreSlot = genreIntoSlot6 ? std::size_t{6}
                                          : static_cast<std::size_t>(RecordSlot::V1GenreByte);
    if (genreSlot < list.size())
        list[genreSlot].value = genre;
    return TagRead::Present;
}

WriteResult writeId3v1(FileIo& file, const SlotList& writeList)
{
    const auto probe = probeTrailer(file);
    if (!probe.ok)
        return ioFailure(file);

    Trailer trailer{};
    std::uint64_t offset = probe.length;
    if (probe.present) {
        offset = probe.length - kId3v1Size;
        trailer = probe.trailer;
    } else {
        std::memcpy(trailer.data(), kMagic.data(), kMagic.size());
        // A new trailer names no genre unless asked to; a zero byte would read as "Blues".
        trailer[kGenreOffset] = kNoGenre;
    }
    applyWriteList(trailer, writeList);

    // The trailer goes out in one write from the title on, so a failure cannot leave a
    // half-changed set of fields behind the magic.
    const auto from = probe.present ? kTitleOffset : std::size_t{0};
    if (!file.writeAt(offset + from, std::span<const std::uint8_t>(trailer).subspan(from))) {
        const auto failure = ioFailure(file);
        if (!probe.present)
            (void)file.truncate(probe.length);  // best effort: drop a partly appended trailer
        return failure;
    }
    return WriteResult::success();
}

WriteResult removeId3v1(FileIo& file)
{
    const auto probe = probeTrailer(file);
    if (!probe.ok)
        return ioFailure(file);
    if (probe.present && !file.truncate(probe.length - kId3v1Size))
        return ioFailure(file);
    return WriteResult::success();
}

bool hasId3v1(FileIo& file)
{
    const auto probe = probeTrailer(file);
    return probe.ok && probe.present;
}

}  // namespace corvane::tags
