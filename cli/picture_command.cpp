// `picture`: the pictures of the files' ID3v2 tags listed, added, extracted and removed, through
// the batch core's picture work.

#include <array>
#include <filesystem>
#include <iostream>

#include "batch/picture_work.h"
#include "batch/run_driver.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/terminal_text.h"
#include "cli/write_run.h"
#include "tags/field_catalogue.h"
#include "tags/text_rules.h"

namespace corvane::cli {

namespace {

// The --type of a subcommand: a keyword ("front") or a number; nullopt without one. Sets bad on
// a value that is neither.
std::optional<std::uint8_t> typeOption(const ParsedArguments& parsed, bool& bad)
{
    const auto text = parsed.value("--type");
    if (!text) return std::nullopt;
    const auto type = tags::pictureTypeOfKeyword(*text);
    bad = !type;
    return type;
}

constexpr std::string_view kTypeError =
    "--type takes a picture type: front, back, other, icon, other-icon, leaflet, media, artist, "
    "lead-artist, band, ... or its number 0..255";

int listPictures(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 1> kSpecs{{{"--json", false}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("picture list", args, kSpecs, exitStatus, "picture");
    if (!parsed) return exitStatus;
    if (parsed->operands.empty()) return usageError("picture list", "no file given");
    const bool json = parsed->has("--json");
    int status = kExitOk;
    if (json) std::cout << "[\n";
    bool first = true;
    for (const auto& path : parsed->operands) {
        tags::File file = tags::File::open(path, tags::OpenMode::Read);
        const auto listing = file.isOpen() ? tags::listPictures(file) : tags::PictureListing{};
        std::string error;
        if (!file.isOpen()) error = tags::errorString(file.error());
        else if (listing.status == tags::TagRead::Failed) error = file.errorText();
        if (!error.empty()) {
            reportFileError(path, error);
            status = kExitFileFailed;
        }
        if (json) {
            std::cout << (first ? "" : ",\n") << "  {\"file\": " << jsonString(path);
            if (!error.empty()) std::cout << ", \"error\": " << jsonString(error);
            else std::cout << ", \"pictures\": " << picturesJson(listing.pictures);
            std::cout << "}";
        } else if (error.empty()) {
            std::cout << escapeControls(path) << "\n";
            for (const auto& picture : listing.pictures) std::cout << "  " << pictureLine(picture) << "\n";
        }
        first = false;
    }
    if (json) std::cout << "\n]\n";
    std::cout.flush();
    return status;
}

int addPicture(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 4>{
        {{"--type", true}, {"--desc", true}, {"--compact", false}, {"--id3v2-version", true}}});
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("picture add", args, kSpecs, exitStatus, "picture");
    if (!parsed) return exitStatus;
    bool badType = false;
    const auto type = typeOption(*parsed, badType).value_or(tags::kFrontCoverType);
    if (badType) return usageError("picture add", kTypeError);
    const auto version = newTagVersion("picture add", *parsed);
    if (!version) return kExitUsage;
    if (parsed->operands.size() < 2) return usageError("picture add", "give an IMAGE and at least one FILE");
    const std::string& imagePath = parsed->operands.front();
    auto image = batch::readImageFile(imagePath, type, parsed->value("--desc").value_or(""));
    if (!image.picture) return usageError("picture add", imagePath + ": " + image.reason);
    auto options = batch::addPictureOptions(std::make_shared<const tags::PictureData>(std::move(*image.picture)));
    options.compact = parsed->has("--compact");
    options.newTagMajor = *version;
    const std::vector<std::string> files(parsed->operands.begin() + 1, parsed->operands.end());
    return runOverFiles(
        files,
        [&options](tags::FileIo& file, const batch::RunFile&) { return batch::writePicture(file, options); },
        *parsed, "picture add");
}

int extractPictures(std::span<const std::string> args)
{
    static constexpr std::array<OptionSpec, 3> kSpecs{{{"--type", true}, {"--out", true}, {"--name", true}}};
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("picture extract", args, kSpecs, exitStatus, "picture");
    if (!parsed) return exitStatus;
    batch::ExtractOptions options;
    bool badType = false;
    options.type = typeOption(*parsed, badType);
    if (badType) return usageError("picture extract", kTypeError);
    const auto out = parsed->value("--out");
    if (!out || out->empty()) return usageError("picture extract", "give --out DIR or --out FILE");
    if (parsed->operands.empty()) return usageError("picture extract", "no file given");
    std::error_code ec;
    if (out->back() == '/' || std::filesystem::is_directory(*out, ec)) {
        options.folder = out->back() == '/' ? *out : *out + "/";
        options.nameFormat = parsed->value("--name").value_or("%filename%");
    } else {
        if (parsed->has("--name")) return usageError("picture extract", "--name goes with --out DIR");
        options.outFile = *out;
    }
    batch::PictureExtraction extraction(options);
    // A picture that is not written because of a file in its way is a failure here: nothing asks.
    return runOverFiles(
        parsed->operands,
        [&extraction](tags::FileIo& file, const batch::RunFile& run) {
            auto result = extraction.extract(file, run.path);
            if (result.targetExists)
                return batch::FileOutcome::failed(result.target + " exists; it was left as it is");
            return result.outcome;
        },
        *parsed, "picture extract", true, tags::OpenMode::Read);
}

int removePictures(std::span<const std::string> args)
{
    static constexpr auto kSpecs = withWriteOptions(std::array<OptionSpec, 3>{
        {{"--type", true}, {"--larger-than", true}, {"--compact", false}}});
    int exitStatus = kExitOk;
    const auto parsed = parseOrStop("picture remove", args, kSpecs, exitStatus, "picture");
    if (!parsed) return exitStatus;
    tags::PictureMatch match;
    bool badType = false;
    match.type = typeOption(*parsed, badType);
    if (badType) return usageError("picture remove", kTypeError);
    if (const auto size = parsed->value("--larger-than")) {
        if (!isDecimal(*size) || size->size() > 12)
            return usageError("picture remove", "--larger-than takes a number of bytes");
        match.largerThan = static_cast<std::uint64_t>(tags::leadingInteger(*size));
    }
    if (parsed->operands.empty()) return usageError("picture remove", "no file given");
    const bool compact = parsed->has("--compact");
    return runOverFiles(
        parsed->operands,
        [&match, compact](tags::FileIo& file, const batch::RunFile&) {
            return batch::removePictures(file, match, compact);
        },
        *parsed, "picture remove");
}

}  // namespace

std::string pictureLine(const tags::PictureInfo& picture)
{
    // Description and MIME type come from the file; none of their bytes may work on the terminal.
    std::string line = tags::pictureTypeName(picture.fields.type) + ", \"" +
                       escapeControls(picture.fields.description) + "\", " +
                       escapeControls(picture.fields.mime) + ", " + std::to_string(picture.imageSize) +
                       " bytes";
    if (picture.pixels)
        line += ", " + std::to_string(picture.pixels->width) + "x" + std::to_string(picture.pixels->height);
    return line;
}

std::string picturesJson(const std::vector<tags::PictureInfo>& pictures)
{
    std::string out = "[";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const auto& p = pictures[i];
        out += (i == 0 ? "" : ", ");
        out += "{\"type\": " + std::to_string(p.fields.type) +
               ", \"type_name\": " + jsonString(tags::pictureTypeName(p.fields.type)) +
               ", \"description\": " + jsonString(p.fields.description) +
               ", \"mime\": " + jsonString(p.fields.mime) + ", \"size\": " + std::to_string(p.imageSize);
        if (p.pixels)
            out += ", \"width\": " + std::to_string(p.pixels->width) +
                   ", \"height\": " + std::to_string(p.pixels->height);
        out += "}";
    }
    return out + "]";
}

int runPicture(std::span<const std::string> args)
{
    using Sub = int (*)(std::span<const std::string>);
    static constexpr std::array<std::pair<std::string_view, Sub>, 4> kSubcommands{{
        {"list", listPictures},
        {"add", addPicture},
        {"extract", extractPictures},
        {"remove", removePictures},
    }};
    if (args.empty()) return usageError("picture", "give list, add, extract or remove");
    if (args.front() == "--help" || args.front() == "-h") {
        std::cout << commandUsage("picture");
        return kExitOk;
    }
    for (const auto& [name, run] : kSubcommands) {
        if (name == args.front()) return run(args.subspan(1));
    }
    return usageError("picture", "unknown picture command \"" + args.front() + "\"");
}

}  // namespace corvane::cli
