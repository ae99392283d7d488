#include "batch/text_case.h"

#include <gtest/gtest.h>

namespace corvane::batch {
namespace {

TEST(TextCase, ChangesCaseAsEachModeSays)
{
    struct Case {
        CaseMode mode;
        std::string_view text, expected;
    };
    const Case cases[] = {
        {CaseMode::Title, "the BEATLES - let it be", "The Beatles - Let It Be"},
        // Small words stay lower inside, not at the start or end of a title or a part of it.
        {CaseMode::Title, "a day in the life of a fool", "A Day in the Life of a Fool"},
        {CaseMode::Title, "what it is to", "What It Is To"},
        {CaseMode::Title, "live: the encore (and the rest)", "Live: The Encore (And the Rest)"},
        {CaseMode::Title, "song - of the year", "Song - Of the Year"},
        {CaseMode::Title, "song (feat. the band)", "Song (Feat. the Band)"},
        {CaseMode::Title, "ann vs. bob", "Ann vs. Bob"},
        {CaseMode::Title, "jay-z and hip-hop", "Jay-Z and Hip-Hop"},
        {CaseMode::Title, "don't stop 2nd time", "Don't Stop 2nd Time"},
        {CaseMode::Title, "\xC3\xA9t\xC3\xA9 \xD0\xBC\xD0\xB8\xD1\x80",  // "été мир"
         "\xC3\x89t\xC3\xA9 \xD0\x9C\xD0\xB8\xD1\x80"},
        {CaseMode::Sentence, "HELLO THERE. how ARE you? fine", "Hello there. How are you? Fine"},
        {CaseMode::Sentence, "\"quoted start\"", "\"Quoted start\""},
        {CaseMode::Upper, "stra\xC3\x9F" "e \xC3\xBF \xCE\xBA\xCF\x8C\xCF\x83\xCE\xBC\xCE\xBF\xCF\x82",
         "STRA\xC3\x9F" "E \xC5\xB8 \xCE\x9A\xCE\x8C\xCE\xA3\xCE\x9C\xCE\x9F\xCE\xA3"},
        {CaseMode::Lower, "\xC3\x80\xC4\x80 ABC \xEF\xBC\xA1", "\xC3\xA0\xC4\x81 abc \xEF\xBD\x81"},
        // Bytes that are not UTF-8 stay as they are.
        {CaseMode::Upper, "a\xFF" "b", "A\xFF" "B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(changeCase(c.text, c.mode), c.expected) << caseModeName(c.mode) << ": " << c.text;
}

TEST(TextCase, KeepsLettersWhoseOtherCaseTheTrailerCannotHold)
{
    // "ÿ" would become "Ÿ", which ISO-8859-1 lacks.
    EXPECT_EQ(changeCase("\xC3\xBF\xC3\xA9", CaseMode::Upper, true), "\xC3\xBF\xC3\x89");
}

TEST(TextCase, FoldsBothCasesToOne)
{
    EXPECT_EQ(foldCase("\xC3\x89T\xC3\xA9 \xCE\xA3\xCF\x82"), foldCase("\xC3\xA9t\xC3\x89 \xCF\x83\xCF\x83"));
    CaseMode mode = CaseMode::Lower;
    EXPECT_TRUE(parseCaseMode("title", mode));
    EXPECT_EQ(mode, CaseMode::Title);
    EXPECT_FALSE(parseCaseMode("Title", mode));
}

}  // namespace
}  // namespace corvane::batch
