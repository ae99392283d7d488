// Both list-row readers over a file on disk (they open paths themselves), with every column
// shown. Cells must stay within the cell width, be UTF-8, and the presence bits within 0..3.

#include <array>

#include "harness.h"
#include "tags/list_row_reader.h"

using namespace corvane;

namespace {

constexpr std::array<tags::Column, tags::kColumnCount> kAllColumns{
    tags::Column::Filename,  tags::Column::Title,      tags::Column::Artist,    tags::Column::Album,
    tags::Column::Year,      tags::Column::Comment,    tags::Column::Genre,     tags::Column::Track,
    tags::Column::Composer,  tags::Column::OrigArtist, tags::Column::Copyright, tags::Column::Url,
    tags::Column::EncodedBy, tags::Column::Cover,
};

std::size_t characters(std::string_view utf8)
{
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

void check(const tags::ListRow& row)
{
    if (row.presence < 0 || row.presence > 3) fuzz::fail("presence outside 0..3");
    if (row.cells.size() != kAllColumns.size()) fuzz::fail("a row with the wrong number of cells");
    if (row.cells[0] != "input.mp3") fuzz::fail("the file name cell lost the name");
    for (const auto& cell : row.cells) {
        if (!fuzz::isValidUtf8(cell)) fuzz::fail("a cell that is not UTF-8");
        if (characters(cell) > tags::kMaxCellChars) fuzz::fail("a cell longer than the cell width");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchFile scratch;
    scratch.write({data, size});
    const auto v1 = tags::readListRowV1(scratch.path(), "input.mp3", kAllColumns);
    const auto v2 = tags::readListRowV2(scratch.path(), "input.mp3", kAllColumns);
    check(v1);
    check(v2);
    if (v1.presence != v2.presence)
        fuzz::fail("the two views disagree about which tags the file has");
    return 0;
}
