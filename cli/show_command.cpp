// `show`: each file read exactly as the tag editor loads it: the trailer, the ID3v2 frames of
// the editor's record, and the MP3 specifics text.

#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "batch/set_data.h"
#include "batch/tag_file_load.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/terminal_text.h"
#include "tags/field_catalogue.h"
#include "tags/slot_list.h"

namespace corvane::cli {

namespace {

using tags::RecordSlot;

struct LoadedFile {
    tags::TagRecord record;
    bool hasV1 = false;
    bool hasV2 = false;
    std::optional<tags::Id3v2Header> unsupportedV2;  // a tag the editor does not read
    tags::Id3v2Header header;
    std::vector<std::string> specifics;  // the lines of the editor's "MP3 Specifics" box
    std::vector<tags::PictureInfo> pictures;
    std::string error;  // set when the file could not be read
};

LoadedFile loadFile(const std::string& path)
{
    LoadedFile loaded;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        loaded.error = "is a folder, not a file";
        return loaded;
    }
    const batch::TagFileLoad result = batch::loadTagFile(path, loaded.record);
    if (!result.opened || !result.reason.empty()) {
        loaded.error = result.reason;
        return loaded;
    }
    loaded.hasV1 = result.id3v1 == tags::TagRead::Present;
    loaded.hasV2 = result.id3v2 == tags::TagRead::Present;
    if (result.id3v2 == tags::TagRead::Unsupported) loaded.unsupportedV2 = result.header;
    loaded.header = result.header;
    loaded.specifics = result.specifics;
    loaded.pictures = result.pictures.pictures;
    return loaded;
}

// The record slots that hold ID3v2 frames the editor shows, in the editor's order.
std::vector<int> frameSlots()
{
    std::vector<int> slots;
    for (int s = static_cast<int>(RecordSlot::Track);
         s <= static_cast<int>(RecordSlot::PlayCounter); ++s)
        slots.push_back(s);
    slots.push_back(static_cast<int>(RecordSlot::Genre));
    return slots;
}

int genreByte(const tags::TagRecord& record)
{
    const std::string& raw = record[RecordSlot::V1GenreByte].text();
    return raw.empty() ? tags::kNoGenre : static_cast<std::uint8_t>(raw[0]);
}

std::string versionText(const tags::Id3v2Header& header)
{
    return "2." + std::to_string(header.major) + "." + std::to_string(header.revision);
}

struct V1Field {
    std::string_view jsonName;
    std::string_view label;
    RecordSlot slot;
};
constexpr std::array<V1Field, 6> kV1Fields{{
    {"title", "Title", RecordSlot::V1Title},
    {"artist", "Artist", RecordSlot::V1Artist},
    {"album", "Album", RecordSlot::V1Album},
    {"year", "Year", RecordSlot::V1Year},
    {"comment", "Comment", RecordSlot::V1Comment},
    {"track", "Track No", RecordSlot::V1Track},
}};

// The label the tag editor shows a frame's field under ("Band" for "TPE2").
std::string fieldLabel(std::string_view frameId)
{
    const auto field = batch::editorField(frameId);
    return field ? field->name : std::string(frameId);
}

std::string jsonObject(const std::string& path, const LoadedFile& loaded)
{
    std::string out = "  {\"file\": " + jsonString(path);
    if (!loaded.error.empty()) return out + ", \"error\": " + jsonString(loaded.error) + "}";
    const auto& record = loaded.record;
    out += ",\n   \"id3v1\": ";
    if (loaded.hasV1) {
        out += "{";
        for (const auto& field : kV1Fields)
            out += jsonString(field.jsonName) + ": " + jsonString(record[field.slot].text()) + ", ";
        const int genre = genreByte(record);
        out += "\"genre\": " + jsonString(tags::genreName(genre)) +
               ", \"genre_byte\": " + std::to_string(genre) + "}";
    } else {
        out += "null";
    }
    out += ",\n   \"id3v2\": ";
    if (loaded.hasV2) {
        out += "{\"version\": " + jsonString(versionText(loaded.header)) +
               ", \"size\": " + std::to_string(loaded.header.tagSize) + ", \"frames\": {";
        bool first = true;
        for (const int s : frameSlots()) {
            const auto& slot = record.slotList()[static_cast<std::size_t>(s)];
            if (!slot.hasValue()) continue;
            out += (first ? "" : ", ") + jsonString(slot.key) + ": " + jsonString(slot.text());
            first = false;
        }
        out += "}, \"pictures\": " + picturesJson(loaded.pictures) + "}";
    } else {
        out += "null";
    }
    if (loaded.unsupportedV2)
        out += ",\n   \"id3v2_unsupported\": " + jsonString(versionText(*loaded.unsupportedV2));
    // The JSON text has always ended its lines in CR LF; scripts split on them.
    std::string specifics;
    for (const auto& line : loaded.specifics) specifics += line + "\r\n";
    out += ",\n   \"specifics\": " + jsonString(specifics) + "}";
    return out;
}

std::string textBlock(const std::string& path, const LoadedFile& loaded)
{
    const auto& record = loaded.record;
    // Names and values come from the files; none of their bytes may work on the terminal.
    std::string out = escapeControls(path) + "\n";
    if (loaded.hasV1) {
        out += "  ID3v1:\n";
        for (const auto& field : kV1Fields)
            out += "    " + std::string(field.label) + ": " +
                   escapeControls(record[field.slot].text()) + "\n";
        const int genre = genreByte(record);
        out += "    Genre: " + std::string(tags::genreName(genre)) + " (" + std::to_string(genre) +
               ")\n";
    } else {
        out += "  ID3v1: none\n";
    }
    if (loaded.hasV2) {
        out += "  ID3v2 " + versionText(loaded.header) + ", " +
               std::to_string(loaded.header.tagSize) + " bytes:\n";
        for (const int s : frameSlots()) {
            const auto& slot = record.slotList()[static_cast<std::size_t>(s)];
            if (slot.hasValue())
                out += "    " + slot.key + " " + fieldLabel(slot.key) + ": " +
                       escapeControls(slot.text()) + "\n";
        }
        for (const auto& picture : loaded.pictures) out += "    APIC Picture: " + pictureLine(picture) + "\n";
    } else if (loaded.unsupportedV2) {
        out += "  ID3v2: version " + versionText(*loaded.unsupportedV2) + ", not read\n";
    } else {
        out += "  ID3v2: none\n";
    }
    out += "  MP3 Specifics:\n";
    for (const auto& line : loaded.specifics) {
        if (!line.empty()) out += "    " + escapeControls(line) + "\n";
    }
    return out;
}

}  // namespace

int runShow(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 1> kSpecs{{{"--json", false}}};
    std::string error;
    const auto parsed = parseArguments(args, kSpecs, error);
    if (!parsed) return usageError("show", error);
    if (parsed->help) {
        std::cout << commandUsage("show");
        return kExitOk;
    }
    if (parsed->operands.empty()) return usageError("show", "no file given");
    const bool json = parsed->has("--json");

    int status = kExitOk;
    if (json) std::cout << "[\n";
    bool first = true;
    for (const auto& path : parsed->operands) {
        const LoadedFile loaded = loadFile(path);
        if (!loaded.error.empty()) {
            reportFileError(path, loaded.error);
            status = kExitFileFailed;
            if (!json) continue;
        }
        if (json)
            std::cout << (first ? "" : ",\n") << jsonObject(path, loaded);
        else
            std::cout << (first ? "" : "\n") << textBlock(path, loaded);
        first = false;
    }
    if (json) std::cout << "\n]\n";
    return status;  // main flushes the output and reports a failed write
}

}  // namespace corvane::cli
