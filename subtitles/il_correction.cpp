// The I/l rules: each "l" and "I" judged by the characters around it, tags looked through.
#include "subtitles/il_correction.h"

#include "subtitles/correction_text.h"

#include <QStringView>

namespace glyfex::subtitles {

namespace {

using correction::in;

// No character: the look went past either end of the work text.
constexpr char16_t kNone = 0;

bool isLowerAscii(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

bool isUpperAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z';
}

// Capitals, digits, blanks and punctuation are not lower: they are their own upper-case form.
bool notLower(char16_t c)
{
    return QChar(c).toUpper() == QChar(c);
}

constexpr std::u16string_view kW2 = u" #";
constexpr std::u16string_view kW3 = u" \"#";

// One line's work text and the place being judged.
class IlJudge {
public:
    IlJudge(QString &text, IlLanguage language, uint8_t charset)
        : m_s(text), m_language(language), m_charset(charset)
    {
    }

    void run()
    {
        const qsizetype n = m_s.size();
        if (n < 5)
            return;
        // The line's own characters: all but the two in front and the two behind.
        for (m_pos = 2; m_pos <= n - 3; ++m_pos) {
            // A tag's letters are markup, never text to judge.
            if (const int tag = tagBeginningAt(m_pos)) {
                m_pos += tag - 1;
                continue;
            }
            if (at(m_pos) == u'l')
                judgeSmallL();
            if (at(m_pos) == u'I')
                judgeCapitalI();
        }
    }

private:
    char16_t at(qsizetype i) const { return m_s.at(i).unicode(); }

    // Length of the tag "<x>" or "</x>" that begins at i, or 0.
    int tagBeginningAt(qsizetype i) const
    {
        const qsizetype n = m_s.size();
        if (at(i) != u'<')
            return 0;
        if (i + 2 < n && at(i + 2) == u'>')
            return 3;
        if (i + 3 < n && at(i + 1) == u'/' && at(i + 3) == u'>')
            return 4;
        return 0;
    }

    // Length of the tag "<x>" or "</x>" that ends at i, or 0.
    int tagEndingAt(qsizetype i) const
    {
        if (at(i) != u'>')
            return 0;
        if (i >= 2 && at(i - 2) == u'<')
            return 3;
        if (i >= 3 && at(i - 3) == u'<' && at(i - 2) == u'/')
            return 4;
        return 0;
    }

    // Index of the character k places after (k > 0) or before (k < 0) the current one, counted in
    // text characters: each place moved skips up to three tags in a row. -1 past either end.
    qsizetype place(int k) const
    {
        const qsizetype n = m_s.size();
        const int dir = k > 0 ? 1 : -1;
        qsizetype i = m_pos;
        for (int step = 0; step != k; step += dir) {
            i += dir;
            for (int tags = 0; tags < 3 && i >= 0 && i < n; ++tags) {
                const int len = dir > 0 ? tagBeginningAt(i) : tagEndingAt(i);
                if (len == 0)
                    break;
                i += dir * len;
            }
            if (i < 0 || i >= n)
                return -1;
        }
        return i;
    }

    char16_t P(int k) const
    {
        const qsizetype i = place(k);
        return i < 0 ? kNone : at(i);
    }

    bool next(std::u16string_view word) const
    {
        for (size_t k = 0; k < word.size(); ++k) {
            if (P(int(k) + 1) != word[k])
                return false;
        }
        return true;
    }

    // Rewrites the character k places on, where the look through the tags found it: a tag is never
    // turned into a letter.
    void setAt(int k, char16_t c)
    {
        const qsizetype i = place(k);
        if (i >= 0)
            m_s[i] = QChar(c);
    }

    // "l-" or "l-l-" stammered right before a character that became "I" follows it ("I-I-I"), and the
    // mirror for "l": raw characters, as a stammer is written without tags inside.
    void stammer(char16_t from, char16_t to)
    {
        const qsizetype p = m_pos;
        if (p < 4 || at(p - 2) != from || at(p - 1) != u'-')
            return;
        if (at(p - 3) == u' ') {
            m_s[p - 2] = QChar(to);
        } else if (at(p - 4) == from && at(p - 3) == u'-') {
            m_s[p - 4] = QChar(to);
            m_s[p - 2] = QChar(to);
        }
    }

    // Does the "l" here become "I"?
    void judgeSmallL()
    {
        bool flag = false;
        // "lll" misread for the Roman three, or "ll" before a word.
        if (in(P(-1), kW2) && P(1) == u'l' && P(2) == u'l') {
            if (in(P(3), u"-abehinopstuy"))
                flag = true;
            if (in(P(-2), u".[") && in(P(3), u" ."))
                flag = true;
            if (!in(P(-2), u".[") && in(P(3), u" !,.?")) {
                flag = true;
                setAt(1, u'I');
                setAt(2, u'I');
            }
        }
        if (in(P(-1), u" #([") && P(1) == u'g' && in(P(2), u"elnru"))
            flag = true;
        if (in(P(1), u"!.?") && notLower(P(-1)) && P(-1) != u'.' && notLower(P(-2)))
            flag = true;
        if (notLower(P(-1)) && P(-1) != u'.' && notLower(P(1)))
            flag = true;
        if (in(P(-1), kW2) && P(1) == u'n' && P(2) != u'ě')
            flag = true;
        if (P(1) == u' ' && notLower(P(-1)))
            flag = true;
        if (P(-2) != u'.' && P(-1) == u'.')
            flag = true;
        else if (P(-2) == u' ' && P(-1) == u'-')
            flag = true;
        else if (in(P(-2), u"-.") && P(-1) == u' ' && P(1) != u'i')
            flag = true;
        if (in(P(-1), kW2) && P(1) == u'l' && in(P(2), u" !,.:?"))
            flag = true;
        // Roman numerals after a word.
        if (P(-3) != kNone && !in(P(-3), u".[") && P(-2) == u' ' && P(-1) == u'I' && in(P(1), u" !,.:?"))
            flag = true;
        if (P(-4) == u'.' && P(-2) == u'.' && P(-1) == u' ' && in(P(1), u"aeiouy"))
            flag = false;
        if (in(P(-1), kW2) && P(1) == u't' && P(2) == u'a')
            flag = true;
        languageRuleForL(flag);
        if (flag) {
            m_s[m_pos] = QChar(u'I');
            stammer(u'l', u'I');
        }
    }

    void languageRuleForL(bool &flag) const
    {
        switch (m_language) {
        case IlLanguage::English:
            if (in(P(-1), kW3)
                && (next(u"t's") || next(u"'m ") || next(u"'d ") || next(u"'ve") || next(u"'ll")
                    || (in(P(1), u"fnst") && P(2) == u' ') || in(P(1), u"cdhnrs")))
                flag = true;
            break;
        case IlLanguage::French:
            if (frenchKeepsL())
                flag = false;
            break;
        case IlLanguage::German:
            if (in(P(-1), kW3) && in(P(1), u"cdhnrs"))
                flag = true;
            break;
        case IlLanguage::Czech:
            if (in(P(-1), kW3) && in(P(1), u"cdr"))
                flag = true;
            break;
        case IlLanguage::Italian:
            if (italianKeepsL())
                flag = false;
            break;
        case IlLanguage::Polish:
            if (in(P(-1), u" \"#,.") && in(P(1), u"bcdfhjkrstzźłćń"))
                flag = true;
            break;
        case IlLanguage::Spanish:
            if (in(P(-1), u" \"#,.¡¿") && in(P(1), u"bcdfghjkpqrstvxyzáéíñúü"))
                flag = true;
            break;
        }
    }

    // The article "l'" and a lone "l" before a blank.
    bool frenchKeepsL() const { return (in(P(-1), kW3) && P(1) == u' ') || P(1) == u'\''; }
    bool italianKeepsL() const { return P(1) == u'\'' && in(P(2), u"AEHIOUaehilouàèéìòù"); }

    // Does the "I" here become "l"?
    void judgeCapitalI()
    {
        bool flag = false;
        // "III" where "Ill..." was meant.
        if (in(P(-1), kW2) && P(1) == u'I' && P(2) == u'I') {
            if (in(P(3), u"-abehinopstuy") || (in(P(-2), u".[") && in(P(3), u" ."))) {
                setAt(1, u'l');
                setAt(2, u'l');
            }
        }
        const char16_t before = P(-1);
        if (isLowerAscii(before) || in(before, u"äöü")) {
            flag = true;
        } else if (!followsAsCapital(P(1))) {
            if (!in(before, kW2))
                flag = true;
            else if (!(m_language == IlLanguage::Italian && P(1) == u'e' && P(2) == u'r'))
                flag = true;
        }
        if (m_charset == 238 && in(before, u"šśťžźłąľżáĺćčéęěíďńňóôřůúý"))
            flag = true;
        if (m_charset == 0 && in(before, u"åæø"))
            flag = true;
        if (in(P(-2), u" \"#-c") && (isUpperAscii(before) || in(before, u"ŠŚŽŹČ"))
            && (isLowerAscii(P(1)) || in(P(1), u"šáčéěíňóůý")))
            flag = true;
        if (P(1) == u'h' && P(2) != u'n')
            flag = true;
        if (in(P(-2), kW3) && before == u'A' && in(P(1), u" !\"',.?"))
            flag = true; // "Al"
        if (in(P(-3), u"-.[") && P(-2) == u' ' && before == u'I' && P(1) == u' ')
            flag = true;
        if (before == u'E' && P(1) == u' ')
            flag = true; // "El"
        if (before == u'\'' && P(1) == u'I' && P(2) == u' ') {
            flag = true; // "'ll"
            setAt(1, u'l');
        }
        if (!in(P(-2), u"!.?") && in(before, kW3) && P(1) == u'o' && !in(P(2), u" !,.?dlntw"))
            flag = true;
        if (in(before, kW3) && next(u"od") && P(3) != kNone && !in(P(3), u"aeio"))
            flag = true;
        if (in(before, kW3) && (next(u"ond") || next(u"ong")))
            flag = true;
        if (in(before, kW3) && next(u"oni") && in(P(4), u" !\",.:?"))
            flag = true;
        if (in(before, kW3) && (next(u"ot") || next(u"ow")) && P(3) != u'a')
            flag = true;
        if (in(P(-2), u" \"#-") && in(before, u"AEU") && P(1) == u'I' && (in(P(2), u" '-") || isLowerAscii(P(2)))) {
            flag = true; // "All", "Ell"
            setAt(1, u'l');
        }
        if (in(before, kW3) && P(1) == u'f' && in(P(2), u" -flo"))
            flag = false; // "If"
        if (P(-4) == u'.' && P(-2) == u'.' && before == u' ' && in(P(1), u"aeiouy"))
            flag = true;
        if ((m_language == IlLanguage::French && frenchKeepsL())
            || (m_language == IlLanguage::Italian && italianKeepsL())
            || (m_language == IlLanguage::Spanish && (in(P(1), u"áéíóúü") || in(before, u"áéíñóúü"))))
            flag = true;
        if (flag) {
            m_s[m_pos] = QChar(u'l');
            stammer(u'I', u'l');
        }
    }

    // A character after which an "I" reads as a capital: an end of word, a capital, or a letter that
    // follows a capital I at the start of a word more often than a small l does.
    bool followsAsCapital(char16_t c) const
    {
        if (isUpperAscii(c) || in(c, u" !',.?bcdghklmnoprstvwzÄÖÜ"))
            return true;
        if (m_charset == 238 && in(c, u"ŠŚŤŽŹŁĄŻĽÁĹĆČÉĘĚÍĎŃŇÓÔŘŮÚÝ"))
            return true;
        return m_charset == 0 && in(c, u"ÅÆØ");
    }

    QString &m_s;
    const IlLanguage m_language;
    const uint8_t m_charset;
    qsizetype m_pos = 0;
};

// The last character of the line before, closing tags taken off (they close what came before).
char16_t contextCharacter(const QString *previousLine)
{
    if (!previousLine)
        return u'.';
    QString line = *previousLine;
    for (const auto tag : {QLatin1StringView("</b>"), QLatin1StringView("</i>"), QLatin1StringView("</u>")})
        line.remove(tag, Qt::CaseInsensitive);
    // An empty line before says nothing about where this one starts.
    return line.isEmpty() ? u' ' : line.back().unicode();
}

} // namespace

void correctIlInLine(QString &text, IlLanguage language, uint8_t charset)
{
    IlJudge(text, language, charset).run();
}

QString correctIl(const QString &line, const QString *previousLine, IlLanguage language, uint8_t charset)
{
    QString s;
    s.reserve(line.size() + 4);
    s += QChar(contextCharacter(previousLine));
    s += QLatin1Char(' ');
    s += line;
    s += QLatin1String("  ");
    correctIlInLine(s, language, charset);
    return s.mid(2, line.size());
}

} // namespace glyfex::subtitles
