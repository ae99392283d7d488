#include "batch/sync_tags.h"

#include <array>
#include <string_view>

#include "tags/field_catalogue.h"
#include "tags/id3v1.h"
#include "tags/id3v2_read.h"
#include "tags/id3v2_write.h"
#include "tags/tag_write.h"
#include "tags/text_encoding.h"

namespace corvane::batch {

namespace {

constexpr std::array<std::string_view, kSyncSlots> kV2Keys{"TRCK", "TIT2", "TPE1", "TALB",
                                                           "TYER", "COMM", "TCON"};
constexpr std::array<tags::V1FieldNo, kSyncSlots> kV1Keys{
    tags::V1FieldNo::Track, tags::V1FieldNo::Title, tags::V1FieldNo::Artist,
    tags::V1FieldNo::Album, tags::V1FieldNo::Year,  tags::V1FieldNo::Comment,
    tags::V1FieldNo::Genre};
// How many characters of an ID3v2 text are handed to the trailer writer for each slot (the track
// text is turned into a number there, so ten digits are plenty; the writer cuts the comment to
// what it can keep beside a track).
constexpr std::array<std::size_t, 6> kV1CopyLimits{10, 30, 30, 30, 4, 30};
constexpr std::size_t kGenreSlot = 6;
constexpr std::size_t kTrackSlot = 0;
constexpr std::size_t kCommentSlot = 5;

// True when an ID3v1 value is exactly what the ID3v2 value turns into when it is written to the
// trailer (cut to the width, "?" for characters outside Latin-1, the track's leading number): the
// ID3v1 value then carries nothing the richer ID3v2 value lacks.
bool v1AddsNothing(std::size_t slot, const std::string& v1, const std::string& v2, bool v1HasTrack)
{
    if (slot == kTrackSlot) {
        const auto v1Track = v1.empty() ? 0 : tags::id3v1TrackByte(v1);
        return v1Track != 0 && v1Track == tags::id3v1TrackByte(v2);
    }
    const auto field = kV1Keys[slot];
    return !v1.empty() && v1 == tags::id3v1StoredText(v2, tags::id3v1Width(field, v1HasTrack));
}

std::string failureReason(tags::TagRead status, tags::FileIo& file)
{
    if (status == tags::TagRead::Unsupported)
        return tags::describe(tags::WriteResult::failure(tags::WriteStatus::Unsupported));
    return file.errorText();
}

}  // namespace

SyncRead readSyncValues(tags::FileIo& file)
{
    SyncRead read;
    auto& values = read.values;
    for (std::size_t i = 0; i < kSyncSlots; ++i) {
        values.v1.push_back(tags::FieldSlot::v1(kV1Keys[i]));
        values.v2.push_back(tags::FieldSlot::frame(kV2Keys[i]));
    }
    const auto v1 = tags::readId3v1(file, values.v1, true);
    if (v1 == tags::TagRead::Failed) {
        read.reason = failureReason(v1, file);
        return read;
    }
    const auto v2 = tags::readId3v2(file, values.v2);
    if (v2.status == tags::TagRead::Failed || v2.status == tags::TagRead::Unsupported) {
        read.reason = failureReason(v2.status, file);
        return read;
    }
    values.hasV1 = v1 == tags::TagRead::Present;
    values.hasV2 = v2.status == tags::TagRead::Present;
    read.ok = true;
    return read;
}

FileOutcome copyV1ToV2(tags::FileIo& file, const SyncValues& values, bool keep, bool compact,
                       std::uint8_t newTagMajor)
{
    tags::SlotList writeList;
    const bool v1HasTrack = !values.v1[kTrackSlot].text().empty();
    for (std::size_t i = 0; i < kGenreSlot; ++i) {
        const auto& v2 = values.v2[i];
        if (keep && v2.hasValue()) continue;
        if (v2.hasValue() && v1AddsNothing(i, values.v1[i].text(), v2.text(), v1HasTrack)) continue;
        writeList.push_back(tags::FieldSlot::frame(kV2Keys[i], values.v1[i].text()));
    }
    const auto& tcon = values.v2[kGenreSlot];
    if (!keep || !tcon.hasValue()) {
        const std::string& raw = values.v1[kGenreSlot].text();
        const int genre = raw.empty() ? tags::kNoGenre : static_cast<std::uint8_t>(raw[0]);
        // A trailer without a genre gives nothing to copy: "TCON" keeps its text rather than
        // losing a genre the ID3v1 format could not hold; nor does one the genre text names.
        const bool same = tcon.hasValue() && tags::genreNumberOfTcon(tcon.text()) == genre;
        if (genre < tags::kGenreCount && !same)
            writeList.push_back(tags::FieldSlot::frame("TCON", std::string(tags::genreName(genre))));
    }
    if (writeList.empty())
        return FileOutcome::skipped("every field is already set in the ID3v2 tag");
    tags::TagChanges changes;
    changes.id3v2 = tags::V2Change::Merge;
    changes.id3v2Entries = std::move(writeList);
    changes.compact = compact;
    changes.newTagMajor = newTagMajor;
    const auto result = tags::writeTags(file, changes);
    if (!result.ok()) return FileOutcome::failed(result);
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    outcome.wroteId3v2 = true;
    return outcome;
}

FileOutcome copyV2ToV1(tags::FileIo& file, const SyncValues& values, bool keep)
{
    tags::SlotList writeList;
    for (std::size_t i = 0; i < kGenreSlot; ++i) {
        if (!keep || values.v1[i].text().empty()) {
            const auto text = tags::utf8Prefix(values.v2[i].text(), kV1CopyLimits[i]);
            writeList.push_back(tags::FieldSlot::v1(kV1Keys[i], std::string(text)));
        }
    }
    const std::string& raw = values.v1[kGenreSlot].text();
    const bool genreExists =
        values.hasV1 && !raw.empty() && static_cast<std::uint8_t>(raw[0]) < tags::kGenreCount;
    if (!keep || !genreExists) {
        const auto& tcon = values.v2[kGenreSlot];
        const std::string name =
            tcon.hasValue() ? std::string(tags::genreNameOfTcon(tcon.text())) : std::string();
        writeList.push_back(tags::FieldSlot::v1(tags::V1FieldNo::Genre, name));
    }
    if (writeList.empty())
        return FileOutcome::skipped("every field is already set in the ID3v1 trailer");
    const auto result = tags::writeId3v1(file, writeList);
    if (!result.ok()) return FileOutcome::failed(result);
    FileOutcome outcome;
    outcome.status = FileStatus::Written;
    outcome.wroteId3v1 = true;
    return outcome;
}

FileOutcome synchroniseTags(tags::FileIo& file, const SyncOptions& options)
{
    const SyncRead read = readSyncValues(file);
    if (!read.ok) return FileOutcome::failed(read.reason);
    const SyncValues& values = read.values;
    if (!values.hasV1 && !values.hasV2) return FileOutcome::skipped("the file has neither tag");
    if (options.intelligent && values.hasV1 != values.hasV2) {
        return values.hasV1 ? copyV1ToV2(file, values, options.keep, options.compact,
                                         options.newTagMajor)
                            : copyV2ToV1(file, values, options.keep);
    }
    if (values.hasV1 && options.direction == SyncDirection::V1ToV2)
        return copyV1ToV2(file, values, options.keep, options.compact, options.newTagMajor);
    if (values.hasV2 && options.direction == SyncDirection::V2ToV1)
        return copyV2ToV1(file, values, options.keep);
    return FileOutcome::skipped("the file has no tag to copy from");
}

}  // namespace corvane::batch
