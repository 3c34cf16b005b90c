// The post-OCR passes: one row per rule on small lines, the run over a store (order, progress, Cancel), and recognised texts left as they were.
#include "subtitles/post_ocr_correction.h"

#include "recognition/scripted_answerer.h"
#include "subtitles/punctuation_correction.h"
#include "subtitles/qt_printers.h"
#include "subtitles/subtitle_builder.h"
#include "subtitles/whole_word_styles.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace glyfex::subtitles {
namespace {

struct Row {
    const char *name;
    const char16_t *in;
    const char16_t *out;
};

QString q(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// Each row's line through one pass.
template <size_t N, class Pass>
void expectRows(const Row (&rows)[N], Pass pass)
{
    for (const Row &r : rows)
        EXPECT_EQ(pass(q(r.in)), q(r.out)) << r.name;
}

TEST(PostOcrCorrection, Apostrophes)
{
    const Row rows[] = {{"grave", u"Don`t", u"Don't"},
                        {"acute", u"Don´t", u"Don't"},
                        {"doubled apostrophes", u"''Yes''", u"\"Yes\""},
                        {"doubled quotes", u"\"\"Yes\"\"", u"\"Yes\""},
                        {"four apostrophes", u"''''", u"\""}};
    expectRows(rows, [](const QString &line) { return correctApostrophes(line); });
}

TEST(PostOcrCorrection, IlRulesInEnglish)
{
    const QString afterWord = QStringLiteral("and then");
    struct IlRow {
        const char *name;
        const char16_t *in;
        const QString *previous; // nullptr: the first line of all
        const char16_t *out;
    };
    const IlRow rows[] = {
        {"tags looked through", u"<i>l</i>'m here", &afterWord, u"<i>I</i>'m here"},
        {"Roman two", u"Part ll.", &afterWord, u"Part II."},
        {"Roman three", u"Henry lll is king", &afterWord, u"Henry III is king"},
        {"Roman three across a tag, the tag kept", u"Henry <i>l</i>ll is", &afterWord, u"Henry <i>I</i>II is"},
        {"first line follows a sentence end", u"lbid said", nullptr, u"Ibid said"},
        {"after a word the same l stays", u"lbid said", &afterWord, u"lbid said"},
        {"made I, then judged again as I", u"lago said", nullptr, u"lago said"},
        {"capital I after a small letter", u"HeIlo", &afterWord, u"Hello"},
        {"All misread", u"AII right", &afterWord, u"All right"},
        {"If stays", u"If you go", &afterWord, u"If you go"},
        {"stammer", u"l-l-l'm cold", &afterWord, u"I-I-I'm cold"},
        {"English contraction", u"lt's late", &afterWord, u"It's late"},
        {"capital tag letter is no letter", u"<I>word</I> and", &afterWord, u"<I>word</I> and"},
        {"lone l before a blank", u"and l said", &afterWord, u"and I said"},
        {"plain words untouched", u"Will all kill", &afterWord, u"Will all kill"}};
    for (const IlRow &r : rows)
        EXPECT_EQ(correctIl(q(r.in), r.previous, IlLanguage::English, 1), q(r.out)) << r.name;
}

TEST(PostOcrCorrection, IlLanguageRules)
{
    const QString afterWord = QStringLiteral("et");
    struct LanguageRow {
        IlLanguage language;
        uint8_t charset;
        const char16_t *in;
        const char16_t *out;
    };
    const LanguageRow rows[] = {{IlLanguage::French, 1, u"I'homme", u"l'homme"},
                                {IlLanguage::English, 1, u"I'homme", u"I'homme"},
                                {IlLanguage::Italian, 1, u"I'uomo", u"l'uomo"},
                                {IlLanguage::Spanish, 1, u"eI día", u"el día"},
                                {IlLanguage::German, 1, u"lch bin", u"Ich bin"},
                                {IlLanguage::Czech, 238, u"žIka", u"žlka"},
                                {IlLanguage::Czech, 1, u"žIka", u"žIka"},
                                {IlLanguage::Polish, 1, u"lzy", u"Izy"},
                                {IlLanguage::English, 1, u"lzy", u"lzy"}};
    for (const LanguageRow &r : rows)
        EXPECT_EQ(correctIl(q(r.in), &afterWord, r.language, r.charset), q(r.out)) << q(r.in).toStdString();
}

TEST(PostOcrCorrection, Punctuation)
{
    const CorrectionDictionary pairs = punctuationPairs({});
    const Row rows[] = {{"two dots made three", u"Wait..Now", u"Wait... Now"},
                        {"blank after an inner ellipsis", u"Wait...now", u"Wait... now"},
                        {"ellipsis at the end stays on its word", u"I was ...", u"I was..."},
                        {"ellipsis at the start on its word", u"... and then", u"...and then"},
                        {"blank after sentence marks", u"Hi.How are you?Fine", u"Hi. How are you? Fine"},
                        {"numbers keep their marks", u"It costs 3.50 at 10:30", u"It costs 3.50 at 10:30"},
                        {"doubled leading dash", u"--Hello", u"- Hello"},
                        {"speaker dash after a tag", u"<i>-Yes", u"<i>- Yes"},
                        {"speaker dash after a sentence", u"Go. -Yes", u"Go. - Yes"},
                        {"dash inside a word", u"well-known", u"well-known"},
                        {"quotes hug their text", u"\" Hello \" she said", u"\"Hello\" she said"},
                        {"addresses untouched", u"see www.site.com,ok", u"see www.site.com,ok"},
                        {"double blanks collapsed", u"a   b", u"a b"},
                        {"exclamation before a word", u"No!Yes", u"No! Yes"}};
    expectRows(rows, [&pairs](const QString &line) { return correctPunctuation(line, pairs); });
}

TEST(PostOcrCorrection, PunctuationPairsApplyUntilGoneAndAlwaysEnd)
{
    // A pair that makes new occurrences out of its surroundings doubles its work each round: bounded.
    QString grows = QStringLiteral("aaaaaaaaaaaaaaaaaaaab");
    replaceWhileFound(grows, {QStringLiteral("ab"), QStringLiteral("bba")});
    EXPECT_LE(grows.size(), 4096);
    QString shrinks = QStringLiteral("a ,,,, b");
    replaceWhileFound(shrinks, {QStringLiteral(",,"), QStringLiteral(",")});
    EXPECT_EQ(shrinks, QStringLiteral("a , b"));
    EXPECT_EQ(correctPunctuation(QStringLiteral("Hello ,world"), punctuationPairs({{QStringLiteral(" ,"), QStringLiteral(",")}})),
              QStringLiteral("Hello, world"));
}

TEST(PostOcrCorrection, Orthography)
{
    const CorrectionDictionary pairs{{QStringLiteral("teh"), QStringLiteral("the")},
                                     {QStringLiteral("aa"), QStringLiteral("a")}};
    EXPECT_EQ(correctOrthography(QStringLiteral("teh cat, teh dog"), pairs), QStringLiteral("the cat, the dog"));
    // Once over the line, not until gone.
    EXPECT_EQ(correctOrthography(QStringLiteral("aaaa"), pairs), QStringLiteral("aa"));
    // A later pair sees what an earlier one wrote, also letters the line did not hold before.
    const CorrectionDictionary chained{{QStringLiteral("q"), QStringLiteral("xy")}, {QStringLiteral("xy"), QStringLiteral("z")}};
    EXPECT_EQ(correctOrthography(QStringLiteral("aqa"), chained), QStringLiteral("aza"));
    // Pairs that each double what the one before wrote stop short of a runaway line.
    CorrectionDictionary doubling;
    for (int i = 0; i < 40; ++i)
        doubling.append(i % 2 ? ReplacementPair{QStringLiteral("b"), QStringLiteral("aa")}
                              : ReplacementPair{QStringLiteral("a"), QStringLiteral("bb")});
    const QString grown = correctOrthography(QStringLiteral("a"), doubling);
    EXPECT_LE(grown.size(), 4096);
    EXPECT_GE(grown.size(), 2048);
    EXPECT_LE(correctPunctuation(QStringLiteral("a"), punctuationPairs(doubling)).size(), 4096);
}

TEST(PostOcrCorrection, CapitalLetters)
{
    struct CapitalRow {
        const char *name;
        QStringList in;
        bool lowerFirst;
        QStringList out;
    };
    const CapitalRow rows[] = {
        {"sentence starts", {"hi kate. it's me."}, false, {"Hi kate. It's me."}},
        {"carried to the next line", {"Is it?", "yes.", "and"}, false, {"Is it?", "Yes.", "And"}},
        {"not after a continued sentence", {"I was...", "thinking."}, false, {"I was...", "thinking."}},
        {"not inside a line's word", {"a line", "goes on"}, false, {"A line", "goes on"}},
        {"through leading tags and dashes", {"<i>- hello</i>"}, false, {"<i>- Hello</i>"}},
        {"decimal point", {"it is 3. more"}, false, {"It is 3. more"}},
        {"inner dash after a word", {"Well - maybe"}, false, {"Well - maybe"}},
        {"inner dash after a sentence", {"Well. - maybe"}, false, {"Well. - Maybe"}},
        {"closed captions lowered first", {"HELLO. WORLD"}, true, {"Hello. World"}}};
    for (const CapitalRow &r : rows) {
        bool start = true;
        QStringList out;
        for (const QString &line : r.in)
            out << correctCapitalLetters(line, r.lowerFirst, start);
        EXPECT_EQ(out, r.out) << r.name;
    }
}

TEST(PostOcrCorrection, SpacesBetweenNumbers)
{
    const Row rows[] = {{"thousands", u"12 000", u"12000"},
                        {"before a colon", u"12 :30", u"12:30"},
                        {"a lone digit", u"a 5", u"a 5"},
                        {"serif digits apart", u"45.9 9", u"45.99"},
                        {"time apart", u"1 0:30", u"10:30"},
                        {"minus before a digit", u"5 -3", u"5-3"},
                        {"minus as a word", u"5 - 3", u"5 - 3"},
                        {"digit then word", u"3 cats", u"3 cats"}};
    expectRows(rows, [](const QString &line) { return removeSpacesBetweenNumbers(line); });
}

TEST(PostOcrCorrection, WholeWordStyles)
{
    const Row rows[] = {{"widened", u"<i>Hel</i>lo world", u"<i>Hello</i> world"},
                        {"counted from the first styled letter", u"Hel<i>lo</i>", u"<i>Hello</i>"},
                        {"too little styled", u"<i>H</i>ello", u"Hello"},
                        {"one-letter word keeps its tags", u"<i>a</i> cat", u"<i>a</i> cat"},
                        {"blank moved out", u"<i>Hello </i>world", u"<i>Hello</i> world"},
                        {"styled blank joins runs", u"<i>Hi</i><i> </i><i>you</i>", u"<i>Hi you</i>"},
                        {"two styles, equal", u"<i><b>Hi</b></i>", u"<b><i>Hi</i></b>"},
                        {"three styles, equal", u"<b><u><i>Hi</i></u></b>", u"<i><u><b>Hi</b></u></i>"},
                        {"longer run outside", u"<b>A <i>bc</i></b>", u"<b>A <i>bc</i></b>"},
                        {"plain text", u"  plain text ", u"plain text"},
                        {"long tags are text", u"<font color=\"red\">x</font>", u"<font color=\"red\">x</font>"}};
    expectRows(rows, [](const QString &line) { return formatWholeWords(line); });
}

// Counts progress and cancels at a chosen step.
class CountingHost : public core::PassHost {
public:
    int64_t cancelAt = -1;
    int64_t done = 0;
    int64_t total = 0;
    void progress(int64_t d, int64_t t) override
    {
        EXPECT_EQ(d, done + 1);
        done = d;
        total = t;
    }
    core::PumpResult pump() override { return done == cancelAt ? core::PumpResult::Cancel : core::PumpResult::Continue; }
};

SubtitleStore storeOf(const std::vector<QStringList> &texts)
{
    SubtitleStore store;
    int ms = 0;
    for (const QStringList &lines : texts) {
        store.subs.push_back(test::makeSubtitle(core::millisecondsToTimeCode(ms), core::millisecondsToTimeCode(ms + 900), lines));
        ms += 1000;
    }
    return store;
}

TEST(PostOcrCorrection, StoreRunsEveryPassInOrderWithProgress)
{
    SubtitleStore store = storeOf({{"hi.you`ll be fine", "<i>Hel</i>lo"}, {"lt costs 12 000$."}, {}});
    const Subtitle before = store.at(1);
    PostOcrOptions options;
    CountingHost host;
    ASSERT_TRUE(correctStore(store, options, {}, host));
    EXPECT_EQ(store.at(1).lines, QStringList({"Hi. You'll be fine", "<i>Hello</i>"}));
    EXPECT_EQ(store.at(2).lines, QStringList({"It costs 12000$."}));
    EXPECT_TRUE(store.at(3).lines.isEmpty());
    EXPECT_EQ(host.total, 3 * options.passCount());
    EXPECT_EQ(host.done, host.total);
    EXPECT_EQ(store.at(1).start, before.start);
    EXPECT_EQ(store.at(1).rect.left, before.rect.left);
}

TEST(PostOcrCorrection, CancelLeavesTheStoreAsItWas)
{
    for (int64_t at : {1, 4, 17}) {
        SubtitleStore store = storeOf({{"hi.you"}, {"12 000"}, {"<i>Hel</i>lo"}});
        const SubtitleStore before = store;
        CountingHost host;
        host.cancelAt = at;
        EXPECT_FALSE(correctStore(store, PostOcrOptions{}, {}, host));
        for (int i = 1; i <= store.count(); ++i)
            EXPECT_EQ(store.at(i).lines, before.at(i).lines) << at;
    }
}

// The host lets the window run between subtitles: whatever changes the store then is kept.
TEST(PostOcrCorrection, ChangesMadeWhileRunningAreKept)
{
    class ChangingHost : public core::PassHost {
    public:
        std::function<void()> change;
        void progress(int64_t, int64_t) override {}
        core::PumpResult pump() override
        {
            if (change)
                std::exchange(change, nullptr)();
            return core::PumpResult::Continue;
        }
    };
    SubtitleStore store = storeOf({{"hi.you"}, {"12 000"}});
    ChangingHost host;
    host.change = [&] {
        store.at(2).lines = QStringList{"typed 1 2"};
        store.subs.push_back(test::makeSubtitle({}, {}, {"added.now"}));
    };
    ASSERT_TRUE(correctStore(store, PostOcrOptions{}, {}, host));
    EXPECT_EQ(store.at(1).lines, QStringList{"Hi. You"});
    EXPECT_EQ(store.at(2).lines, QStringList{"typed 1 2"});
    EXPECT_EQ(store.at(3).lines, QStringList{"added.now"});

    SubtitleStore shrinking = storeOf({{"hi.you"}, {"12 000"}});
    host.change = [&] { shrinking.clear(); };
    EXPECT_FALSE(correctStore(shrinking, PostOcrOptions{}, {}, host));
    EXPECT_TRUE(shrinking.isEmpty());
}

TEST(PostOcrCorrection, NothingChosenOrNothingStoredDoesNothing)
{
    PostOcrOptions none;
    none.apostrophes = none.il = none.punctuation = none.capitalLetters = none.spacesBetweenNumbers = none.wholeWords = false;
    SubtitleStore store = storeOf({{"hi.you"}});
    CountingHost host;
    EXPECT_TRUE(correctStore(store, none, {}, host));
    EXPECT_EQ(store.at(1).lines, QStringList{"hi.you"});
    SubtitleStore empty;
    EXPECT_TRUE(correctStore(empty, PostOcrOptions{}, {}, host));
    EXPECT_EQ(host.done, 0);
}

// What recognition gives for the fixture DVDs is right already: the default passes keep it. The one
// change is the capitals rule at work: a line ending in ")" ends a sentence (a sound cue such as
// "(DOOR SLAMS)" is followed by a new one), and here the sentence goes on.
TEST(PostOcrCorrection, RecognisedFixtureTextsStayAsTheyWere)
{
    const QString afterParenthesis = QStringLiteral("we must...");
    for (const char *file : {"dvd-pal-sans/gt.srt", "dvd-pal-sans-outline/gt.srt", "spu/ntsc-serif-outline/gt.srt"}) {
        auto truth = recognition::readGroundTruth(test::dataPath(QString::fromLatin1(file)));
        ASSERT_TRUE(truth.ok()) << file;
        std::vector<QStringList> texts;
        for (const auto &entry : *truth)
            texts.push_back(entry.lines);
        SubtitleStore store = storeOf(texts);
        core::NullPassHost host;
        ASSERT_TRUE(correctStore(store, PostOcrOptions{}, {}, host));
        for (int i = 1; i <= store.count(); ++i) {
            QStringList expected = texts[size_t(i - 1)];
            expected.replaceInStrings(afterParenthesis, QStringLiteral("We must..."));
            EXPECT_EQ(store.at(i).lines, expected) << file << " subtitle " << i;
        }
    }
}

// Digits a serif font spaces apart, recognised with the blank, joined again in the whole run.
TEST(PostOcrCorrection, SpacedDigitsAreJoinedInTheRun)
{
    SubtitleStore store = storeOf({{"It costs $45.9 9 now.", "Back at 1 0:30, OK?"}});
    core::NullPassHost host;
    ASSERT_TRUE(correctStore(store, PostOcrOptions{}, {}, host));
    EXPECT_EQ(store.at(1).lines, QStringList({"It costs $45.99 now.", "Back at 10:30, OK?"}));
}

TEST(PostOcrCorrection, DictionariesLoadBeforeAnyPass)
{
    QTemporaryDir dir;
    const QString punct = dir.filePath(QStringLiteral("punct.dic"));
    test::writeBytes(punct, QByteArray("\xFF\xFE", 2));
    const QString missing = dir.filePath(QStringLiteral("English.dic"));
    PostOcrOptions options;
    options.orthography = true;
    auto loaded = loadPostOcrDictionaries(options, punct, missing);
    ASSERT_FALSE(loaded.ok());
    EXPECT_TRUE(loaded.error().message().contains(QStringLiteral("English.dic"))) << loaded.error().message().toStdString();
    options.orthography = false;
    EXPECT_TRUE(loadPostOcrDictionaries(options, punct, missing).ok());
    options.punctuation = false;
    EXPECT_TRUE(loadPostOcrDictionaries(options, missing, missing).ok());
}

} // namespace
} // namespace glyfex::subtitles
