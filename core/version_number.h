// Version texts such as "1.50", "1.5" or "1.51b2": parsed into a value that orders releases and betas.
#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

#include <climits>
#include <compare>
#include <optional>

namespace glyfex::core {

// A version as (major, minor, release after beta, beta). The minor part is read as the digits of a
// fraction, so "1.5", "1.50" and "1.500" are the same version; a release sorts after every beta of the
// same number ("1.50" is newer than "1.50b1"), and "1.51b2" is newer than "1.50".
struct VersionNumber {
    int major = 0;
    int minor = 0; // thousandths: "1.5" -> 500, "1.05" -> 50
    int beta = 0;  // 0 for a release

    // The beta number with a release above every beta, for ordering.
    int betaRank() const { return beta == 0 ? INT_MAX : beta; }
    friend auto operator<=>(const VersionNumber &a, const VersionNumber &b)
    {
        if (auto c = a.major <=> b.major; c != 0)
            return c;
        if (auto c = a.minor <=> b.minor; c != 0)
            return c;
        return a.betaRank() <=> b.betaRank();
    }
    friend bool operator==(const VersionNumber &a, const VersionNumber &b) = default;
};

// The comparison value of a version text: digits, then optionally "." or "," and one to three digits,
// then optionally "b" and digits. Anything else (blanks inside, a sign, letters, more digits than an
// int holds) gives nullopt, which counts as no version at all.
std::optional<VersionNumber> versionToNumber(const QString &text);

// The first line of a version file as a server sends it: at most MaxVersionReplyBytes, UTF-8 with or
// without a byte-order mark (UTF-16 with its mark too), CR LF or LF line ends, blanks around the line
// ignored. A reply that is empty, too long, an HTML page or whose first line is not a version text is
// an error naming the address.
inline constexpr int MaxVersionReplyBytes = 4096;
Result<VersionNumber> parseVersionReply(const QByteArray &reply, const QString &address);

} // namespace glyfex::core
