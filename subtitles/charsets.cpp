// The charset table and the choices made from it.
#include "subtitles/charsets.h"

#include "core/text_codec.h"
#include "subtitles/code_pages.h"

#include <array>

namespace glyfex::subtitles {

namespace {

constexpr std::array<CharsetInfo, 19> kCharsets{{
    {"ANSI_CHARSET", 0, 1252},
    {"DEFAULT_CHARSET", 1, 1252},
    {"SYMBOL_CHARSET", 2, 1252},
    {"SHIFTJIS_CHARSET", 128, 932},
    {"HANGEUL_CHARSET", 129, 949},
    {"GB2312_CHARSET", 134, 20936},
    {"CHINESEBIG5_CHARSET", 136, 10002},
    {"OEM_CHARSET", 255, 858},
    {"JOHAB_CHARSET", 130, 1361},
    {"HEBREW_CHARSET", 177, 1255},
    {"ARABIC_CHARSET", 178, 1256},
    {"GREEK_CHARSET", 161, 1253},
    {"TURKISH_CHARSET", 162, 1254},
    {"VIETNAMESE_CHARSET", 163, 1258},
    {"THAI_CHARSET", 222, 874},
    {"EASTEUROPE_CHARSET", 238, 1250},
    {"RUSSIAN_CHARSET", 204, 1251},
    {"MAC_CHARSET", 77, 10000},
    {"BALTIC_CHARSET", 186, 1257},
}};

const CharsetInfo *findByName(QStringView name)
{
    for (const CharsetInfo &c : kCharsets) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

bool isDefaultCharset(QStringView name)
{
    return name == QLatin1String("DEFAULT_CHARSET");
}

} // namespace

std::span<const CharsetInfo> charsetTable()
{
    return kCharsets;
}

uint8_t charsetOfName(QStringView name)
{
    const CharsetInfo *c = findByName(name);
    return c ? c->charset : uint8_t(1);
}

uint16_t codePageOfCharsetName(QStringView name)
{
    if (isDefaultCharset(name))
        return core::TextCodec::systemAnsiCodePage();
    const CharsetInfo *c = findByName(name);
    return c ? c->codePage : uint16_t(1252);
}

uint8_t charsetOfAnsiCodePage(uint16_t codePage)
{
    switch (codePage) {
    case 1250: return 238;
    case 1251: return 204;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1258: return 163;
    case 874: return 222;
    case 932: return 128;
    case 936: return 134;
    case 949: return 129;
    case 950: return 136;
    default: return 0;
    }
}

uint8_t subtitleCharset(QStringView name)
{
    if (isDefaultCharset(name))
        return charsetOfAnsiCodePage(core::TextCodec::systemAnsiCodePage());
    return charsetOfName(name);
}

QList<int> charsetsOfWritingSystems(const QList<WritingSystem> &systems)
{
    QList<int> charsets;
    const auto add = [&](int charset) {
        if (!charsets.contains(charset))
            charsets.append(charset);
    };
    for (WritingSystem ws : systems) {
        switch (ws) {
        case WritingSystem::Latin:
            add(0);
            add(238);
            add(162);
            add(186);
            break;
        case WritingSystem::Greek: add(161); break;
        case WritingSystem::Cyrillic: add(204); break;
        case WritingSystem::Hebrew: add(177); break;
        case WritingSystem::Arabic: add(178); break;
        case WritingSystem::Thai: add(222); break;
        case WritingSystem::SimplifiedChinese: add(134); break;
        case WritingSystem::TraditionalChinese: add(136); break;
        case WritingSystem::Japanese: add(128); break;
        case WritingSystem::Korean: add(129); break;
        case WritingSystem::Vietnamese: add(163); break;
        case WritingSystem::Symbol: add(2); break;
        default: break;
        }
    }
    return charsets;
}

QStringList listFontCharsets(const QList<int> &charsets)
{
    QStringList names;
    for (int number : charsets) {
        const CharsetInfo *found = nullptr;
        for (const CharsetInfo &c : kCharsets) {
            if (c.charset == number) {
                found = &c;
                break;
            }
        }
        names.append(found ? QLatin1String(found->name) : QStringLiteral("Unknown charset %1").arg(number));
    }
    names.append(QStringLiteral("DEFAULT_CHARSET"));
    return names;
}

CharsetChoice chooseCharset(QStringView name, int keptItem)
{
    CharsetChoice choice;
    choice.textCharset = subtitleCharset(name);
    choice.codePageItem = findCodePageItem(codePageOfCharsetName(name));
    // The code page is always that of the selected item, so that list and text agree.
    const int item = choice.codePageItem >= 0 ? choice.codePageItem : keptItem;
    const auto items = codePageItems();
    choice.codePage = item >= 0 && size_t(item) < items.size() ? codePageOfItem(QString::fromLatin1(items[size_t(item)]))
                                                               : codePageOfCharsetName(name);
    return choice;
}

} // namespace glyfex::subtitles
