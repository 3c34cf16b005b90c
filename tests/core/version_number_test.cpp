// Version texts: their order (releases after betas, "1.5" equal to "1.50"), the servers' replies, and what the check concludes.
#include "core/version_check.h"
#include "core/version_number.h"

#include "fuzz/version_reply_fuzz.h"
#include "support/qt_print.h"
#include "support/test_data.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace glyfex::core;

namespace {

TEST(VersionNumber, ComparesAsMajorMinorReleaseAfterBeta)
{
    struct Row {
        const char *older;
        const char *newer;
    };
    const Row rows[] = {
        {"1.50b1", "1.50"},   // a release is newer than its betas
        {"1.50b1", "1.50b2"},
        {"1.50b9", "1.50b10"}, // beta numbers compare as numbers
        {"1.50", "1.51b2"},   // a beta of a later version is newer than the release before
        {"1.50", "1.52b1"},
        {"1.5", "1.51"},
        {"1.09", "1.1"},      // the minor part is a fraction: .1 is .100
        {"1.999", "2"},
        {"1.50b1", "1,51"},   // a comma works as the separator
    };
    for (const Row &r : rows) {
        const auto older = versionToNumber(QLatin1String(r.older));
        const auto newer = versionToNumber(QLatin1String(r.newer));
        ASSERT_TRUE(older && newer) << r.older << " / " << r.newer;
        EXPECT_LT(*older, *newer) << r.older << " < " << r.newer;
        EXPECT_GT(*newer, *older) << r.newer << " > " << r.older;
    }
    for (auto [a, b] : {std::pair{"1.5", "1.50"}, {"1.50", "1.500"}, {"1,50", "1.50"}, {"2", "2.0"}})
        EXPECT_EQ(versionToNumber(QLatin1String(a)), versionToNumber(QLatin1String(b))) << a << " = " << b;
}

TEST(VersionNumber, TextsThatAreNoVersionGiveNone)
{
    for (const char *text : {"", ".", "1.", ".5", "1.5000", "1.5b", "1.5b0", "1.5bx", "v1.5", "1.5 ", "-1.5", "1.5.2",
                             "1.50b1b2", "99999999999", "1.5c1", "<html>"})
        EXPECT_FALSE(versionToNumber(QLatin1String(text))) << '"' << text << '"';
}

TEST(VersionReply, FirstLineIsTheVersionWhateverTheEncoding)
{
    const VersionNumber v151{1, 510, 0};
    struct Row {
        const char *name;
        QByteArray reply;
    };
    const Row rows[] = {
        {"plain", "1.51"},
        {"CR LF and more lines", "1.51\r\nsecond line\r\n"},
        {"LF", "1.51\n"},
        {"UTF-8 mark", "\xEF\xBB\xBF" "1.51\r\n"},
        {"UTF-16LE mark", QByteArray("\xFF\xFE" "1\0.\0" "5\0" "1\0\r\0\n\0", 14)},
        {"UTF-16BE mark", QByteArray("\xFE\xFF\0" "1\0.\0" "5\0" "1", 10)},
        {"blanks around", "  1.51 \t\r\n"},
    };
    for (const Row &r : rows) {
        const Result<VersionNumber> v = parseVersionReply(r.reply, QStringLiteral("http://server/v"));
        ASSERT_TRUE(v) << r.name << ": " << v.error().message().toStdString();
        EXPECT_EQ(*v, v151) << r.name;
    }
}

TEST(VersionReply, ReplyWithoutVersionIsAnErrorNamingTheServer)
{
    struct Row {
        const char *name;
        QByteArray reply;
        const char *why;
    };
    const Row rows[] = {
        {"empty", "", "empty"},
        {"blank lines", "\r\n\r\n", "empty"},
        {"web page", "<!DOCTYPE html>\n<html><body>1.51</body></html>", "web page"},
        {"text", "latest: 1.51", "not a version"},
        {"too long", QByteArray(MaxVersionReplyBytes + 1, '1'), "too long"},
    };
    for (const Row &r : rows) {
        const Result<VersionNumber> v = parseVersionReply(r.reply, QStringLiteral("http://server/version.txt"));
        ASSERT_FALSE(v) << r.name;
        EXPECT_TRUE(v.error().message().contains(QLatin1String("http://server/version.txt"))) << r.name;
        EXPECT_TRUE(v.error().message().contains(QLatin1String(r.why))) << r.name << ": " << v.error().message().toStdString();
    }
}

TEST(VersionCheckDecision, OffersThePageOfTheServerWithTheNewerVersion)
{
    const VersionServers servers{VersionServer{QUrl(QStringLiteral("http://a/v")), QUrl(QStringLiteral("http://a/page"))},
                                 VersionServer{QUrl(QStringLiteral("http://b/v")), QUrl(QStringLiteral("http://b/page"))}};
    const QUrl first(QStringLiteral("http://a/page"));
    const QUrl fallback(QStringLiteral("http://b/page"));
    auto v = [](const char *text) { return versionToNumber(QLatin1String(text)); };
    using O = VersionCheckOutcome;
    struct Row {
        const char *name;
        std::optional<VersionNumber> first, fallback;
        const char *language;
        VersionCheckOutcome expected;
    };
    const Row rows[] = {
        {"both down", std::nullopt, std::nullopt, "English", {O::ServersDown, {}}},
        {"both the same as ours", v("1.50b1"), v("1.50b1"), "English", {O::UpToDate, {}}},
        {"first older, fallback down", v("1.49"), std::nullopt, "English", {O::UpToDate, {}}},
        {"the release of our beta", v("1.50"), std::nullopt, "English", {O::NewerAvailable, first}},
        {"first newer, fallback down", v("1.51"), std::nullopt, "English", {O::NewerAvailable, first}},
        {"first down, fallback newer", std::nullopt, v("1.51"), "English", {O::NewerAvailable, fallback}},
        {"fallback newer than first", v("1.50"), v("1.52b1"), "English", {O::NewerAvailable, fallback}},
        {"first newer than fallback", v("1.52b1"), v("1.50"), "English", {O::NewerAvailable, first}},
        {"same newer, Polish interface", v("1.51"), v("1.51"), "Polski", {O::NewerAvailable, fallback}},
        {"same newer, other interface", v("1.51"), v("1.51"), "Deutsch", {O::NewerAvailable, first}},
    };
    const VersionNumber own = *v("1.50b1");
    for (const Row &r : rows)
        EXPECT_EQ(decideVersionCheck({r.first, r.fallback}, own, QLatin1String(r.language), servers), r.expected)
            << r.name;
}

// The fuzz target's seed corpus, replayed through both of its readers.
TEST(VersionReplyCorpus, EverySeedReadsWithoutFault)
{
    const QDir corpus(glyfex::test::dataPath(QStringLiteral("../../fuzz/corpus/version_reply_fuzz")));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 8) << corpus.path().toStdString();
    for (const QString &seed : seeds) {
        for (uint8_t route : {0, 1}) {
            std::vector<uint8_t> input = glyfex::test::readBytes(corpus.filePath(seed));
            if (!input.empty())
                input[0] = route;
            EXPECT_EQ(glyfex::fuzz::readVersionReply(input.data(), input.size()), 0) << seed.toStdString();
        }
    }
}

} // namespace
