// The configuration file Glyfex.ini: every setting with its default and its allowed range, read and written as a whole.
#include "core/config.h"


namespace glyfex::core {

namespace {

const QString Cfg = QStringLiteral("CONFIG");
const QString GOptions = QStringLiteral("GOPTIONS");
const QString PreviewCfg = QStringLiteral("PREVIEW CFG");
const QString BmpOutTc = QStringLiteral("BMP OUT TC & RES");
const QString GxtOutput = QStringLiteral("GLYFEX OUTPUT");
const QString Mdvd = QStringLiteral("MDVD");
const QString TmPlayerOutput = QStringLiteral("TMPLAYER OUTPUT");
const QString Sv2Output = QStringLiteral("SUBVIEWER2 OUTPUT");
const QString StlOutput = QStringLiteral("STL OUTPUT");
const QString SsaOutput = QStringLiteral("SSA OUTPUT");
const QString IAuthorOutput = QStringLiteral("IAUTHOR OUTPUT");
const QString MaestroOutput = QStringLiteral("DVDMAESTRO OUTPUT");
const QString Input = QStringLiteral("INPUT");
const QString OcrCorrection = QStringLiteral("OCRCORRECTION");

constexpr int ColourMax = 0xFFFFFF;

// Every key of SaveConfig, in the order a new file gets them, with its default and range. The same
// walk fills the defaults, reads and writes, so the three can never disagree about a key.
template <class V>
void visitConfig(Config &c, const Config &d, V &v)
{
    Config::Main &m = c.main;
    const Config::Main &dm = d.main;
    v.text(Cfg, "OpenDialogCharMatrix", m.openDialogCharMatrix, dm.openDialogCharMatrix);
    v.text(Cfg, "SaveDialogCharMatrix", m.saveDialogCharMatrix, dm.saveDialogCharMatrix);
    v.text(Cfg, "SaveDialogBmpSup", m.saveDialogBmpSup, dm.saveDialogBmpSup);
    v.text(Cfg, "OpenDialogVob", m.openDialogVob, dm.openDialogVob);
    v.boolean(Cfg, "RememberStyles", m.rememberStyles, dm.rememberStyles);
    v.text(Cfg, "OpenDialogGlyfexText", m.openDialogGlyfexText, dm.openDialogGlyfexText);
    v.text(Cfg, "SaveDialogText", m.saveDialogText, dm.saveDialogText);
    v.text(Cfg, "OpenAvi", m.openAvi, dm.openAvi);
    v.text(Cfg, "LanguageFileName", m.languageName, dm.languageName);
    v.boolean(Cfg, "AutoScrollDown", m.autoScrollDown, dm.autoScrollDown);
    v.boolean(Cfg, "FancyFormat", m.fancyFormat, dm.fancyFormat);
    v.integer(Cfg, "ActionMode", m.actionMode, dm.actionMode, 0, 3);
    v.boolean(Cfg, "AvoidTimeRestart", m.avoidTimeRestart, dm.avoidTimeRestart);
    v.boolean(Cfg, "ShowAllLangStreams", m.showAllLangStreams, dm.showAllLangStreams);
    v.boolean(Cfg, "SelectAllVOBs", m.selectAllVobs, dm.selectAllVobs);
    v.integer(Cfg, "Priority", m.priority, dm.priority, 0, 3, StoredAs::Low8Bits);
    v.integer(Cfg, "SubtWndHeight", m.subtWndHeight, dm.subtWndHeight, 1, 65535);

    GlobalOptions &o = c.options;
    const GlobalOptions &dop = d.options;
    v.boolean(GOptions, "WakeMeUp", o.wakeMeUp, dop.wakeMeUp);
    v.boolean(GOptions, "ForcedSubs", o.forcedSubsOnly, dop.forcedSubsOnly);
    v.boolean(GOptions, "Right2Left", o.rightToLeft, dop.rightToLeft);
    v.boolean(GOptions, "FillBestGuess", o.fillBestGuess, dop.fillBestGuess);
    v.boolean(GOptions, "AddBestGuessToCharMatrix", o.addBestGuessToMatrix, dop.addBestGuessToMatrix);
    v.integer(GOptions, "FillBestGuessDelay", o.fillDelay, dop.fillDelay, GlobalOptions::FillDelayLowest,
              GlobalOptions::FillDelayHighest, StoredAs::SpinBox);
    v.text(GOptions, "FillNoBestGuess", o.fillNone, dop.fillNone);
    v.text(GOptions, "FillBeforeBestGuess", o.fillBefore, dop.fillBefore);
    v.text(GOptions, "FillAfterBestGuess", o.fillAfter, dop.fillAfter);
    v.integer(GOptions, "MinSubDuration", o.minSubDuration, dop.minSubDuration, 0,
              GlobalOptions::MinSubDurationMax, StoredAs::SpinBox);
    v.boolean(GOptions, "BuildMap", o.buildMap, dop.buildMap);
    v.boolean(GOptions, "UseFileOffsets", o.useFileOffsets, dop.useFileOffsets);
    v.integer(GOptions, "MinTMP", o.minTmpPause, dop.minTmpPause, GlobalOptions::MinTmpLowest,
              GlobalOptions::MinTmpHighest, StoredAs::SpinBox);
    v.integer(GOptions, "MaxTMP", o.maxTmpDuration, dop.maxTmpDuration, GlobalOptions::MaxTmpLowest,
              GlobalOptions::MaxTmpHighest, StoredAs::SpinBox);
    v.text(GOptions, "SubWindowFontName", c.subtitleFontName, d.subtitleFontName);
    v.integer(GOptions, "SubWindowFontSize", c.subtitleFontSize, d.subtitleFontSize, 1, 1000);

    Config::Preview &p = c.preview;
    const Config::Preview &dp = d.preview;
    v.boolean(PreviewCfg, "AtTruePos", p.atTruePos, dp.atTruePos);
    v.boolean(PreviewCfg, "TransparentBkGrd", p.transparentBackground, dp.transparentBackground);
    v.integer(PreviewCfg, "Zoom", p.zoom, dp.zoom, 100, 2000, StoredAs::Low16Bits);
    v.boolean(PreviewCfg, "AutoZoom", p.autoZoom, dp.autoZoom);
    v.integer(PreviewCfg, "BorderColor", p.borderColour, dp.borderColour, 0, ColourMax);
    v.integer(PreviewCfg, "InnerColor", p.innerColour, dp.innerColour, 0, ColourMax);
    v.integer(PreviewCfg, "BackMode", p.backMode, dp.backMode, 0, 3, StoredAs::Low8Bits);
    v.integer(PreviewCfg, "AspectRatioMode", p.aspectRatioMode, dp.aspectRatioMode, 0, 2, StoredAs::Low8Bits);
    v.integer(PreviewCfg, "FreeAspectRatio", p.freeAspectRatio, dp.freeAspectRatio, 0, 288, StoredAs::Low16Bits);
    v.text(PreviewCfg, "BackImageName", p.backImageName, dp.backImageName);

    v.boolean(BmpOutTc, "Enabled", c.pictureTiming, d.pictureTiming);
    v.boolean(BmpOutTc, "DropFrame", c.dropFrame, d.dropFrame);
    v.integer(Cfg, "ActivePage", m.activePage, dm.activePage, 0, 24, StoredAs::Low8Bits);

    Config::OutputFormats &f = c.output;
    const Config::OutputFormats &df = d.output;
    v.boolean(GxtOutput, "Extended", f.gxtExtended, df.gxtExtended);
    v.boolean(GxtOutput, "ClrTags", f.gxtColourTags, df.gxtColourTags);
    v.text(Mdvd, "Framerate", f.frameRate, df.frameRate);
    v.boolean(Mdvd, "DXG400FPSInfo", f.microDvdRateLine, df.microDvdRateLine);
    v.integer(TmPlayerOutput, "TMPlType", f.tmPlayerVariant, df.tmPlayerVariant, 1, 5, StoredAs::Low8Bits);
    v.boolean(Sv2Output, "PreserveStyles", f.sv2PreserveStyles, df.sv2PreserveStyles);
    v.text(Sv2Output, "SelFont", f.sv2Font, df.sv2Font);
    for (int i = 0; i < 4; ++i)
        v.integer(StlOutput, "Color_" + QString::number(i), f.stlColours[i], df.stlColours[i], 0, ColourMax);
    for (int i = 0; i < 4; ++i)
        v.integer(StlOutput, "Contrast_" + QString::number(i), f.stlContrasts[i], df.stlContrasts[i], 0, 15,
                  StoredAs::Low8Bits);
    v.integer(StlOutput, "HAlign", f.stlHorzAlign, df.stlHorzAlign, 0, 2, StoredAs::Low8Bits);
    v.integer(StlOutput, "HOffset", f.stlXOffset, df.stlXOffset, 0, 719, StoredAs::Low16Bits);
    v.integer(StlOutput, "VAlign", f.stlVertAlign, df.stlVertAlign, 0, 2, StoredAs::Low8Bits);
    v.integer(StlOutput, "VOffset", f.stlYOffset, df.stlYOffset, 0, 575, StoredAs::Low16Bits);
    v.text(StlOutput, "SelFont", f.stlFont, df.stlFont);
    for (int i = 0; i < 4; ++i)
        v.integer(SsaOutput, "Color_" + QString::number(i), f.ssaColours[i], df.ssaColours[i], 0, ColourMax);
    v.integer(SsaOutput, "VMargin", f.ssaMargin, df.ssaMargin, 0, 720, StoredAs::Low16Bits);
    v.integer(SsaOutput, "BMargin", f.ssaMarginV, df.ssaMarginV, 0, 576, StoredAs::Low16Bits);
    v.integer(SsaOutput, "Border", f.ssaBorder, df.ssaBorder, 0, 50, StoredAs::Low8Bits);
    v.integer(SsaOutput, "Shadow", f.ssaShadow, df.ssaShadow, 0, 50, StoredAs::Low8Bits);
    v.text(SsaOutput, "SelFont", f.ssaFont, df.ssaFont);
    v.integer(IAuthorOutput, "MinimumInterval", f.minimumInterval, df.minimumInterval, 0, 999, StoredAs::Low16Bits);
    v.boolean(MaestroOutput, "Extended", f.maestroExtended, df.maestroExtended);

    v.integer(Input, "InPutType", c.inputType, d.inputType, 1, 13, StoredAs::Low8Bits);

    Config::OcrCorrection &k = c.correction;
    const Config::OcrCorrection &dk = d.correction;
    v.boolean(OcrCorrection, "TwiceAp", k.twiceApostrophe, dk.twiceApostrophe);
    v.boolean(OcrCorrection, "Il", k.il, dk.il);
    v.integer(OcrCorrection, "Il_Index", k.ilLanguage, dk.ilLanguage, 0, 6);
    v.boolean(OcrCorrection, "Punctuation", k.punctuation, dk.punctuation);
    v.boolean(OcrCorrection, "Orthography", k.orthography, dk.orthography);
    v.text(OcrCorrection, "OrthographyDic", k.orthographyDictionary, dk.orthographyDictionary);
    v.boolean(OcrCorrection, "CapitalLetters", k.capitalLetters, dk.capitalLetters);
    v.boolean(OcrCorrection, "LowerCaseB4", k.lowerCaseBefore, dk.lowerCaseBefore);
    v.boolean(OcrCorrection, "RemoveSpaceBtNumbers", k.removeSpaceBetweenNumbers, dk.removeSpaceBetweenNumbers);
}

const QString OcrSetting = QStringLiteral("OCR SETTING");

// The keys of OCR SETTING in the order they are written and read.
template <class V>
void visitOcr(Config::Ocr &o, const Config::Ocr &d, V &v)
{
    v.integer(OcrSetting, "MinLineHeight", o.minLineHeight, d.minLineHeight, 0, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MaxLineHeight", o.maxLineHeight, d.maxLineHeight, 0, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MinInterLine", o.minInterLine, d.minInterLine, 1, 50, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MinCharWidth", o.minCharWidth, d.minCharWidth, 1, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MinCharHeight", o.minCharHeight, d.minCharHeight, 1, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "SpaceWidth", o.spaceWidth, d.spaceWidth, -10, 45);
    v.boolean(OcrSetting, "CheckDetachedChar", o.checkDetachedChar, d.checkDetachedChar);
    v.integer(OcrSetting, "Sensibility", o.sensibility, d.sensibility, 0, 1000, StoredAs::Low16Bits);
    v.integer(OcrSetting, "MaxCharDiffWidth", o.maxCharDiffWidth, d.maxCharDiffWidth, 0, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MaxCharDiffHeight", o.maxCharDiffHeight, d.maxCharDiffHeight, 0, 45, StoredAs::Low8Bits);
    v.integer(OcrSetting, "MaxCharDiffTop", o.maxCharDiffTop, d.maxCharDiffTop, 0, 45, StoredAs::Low8Bits);
}

} // namespace

Config Config::defaults(const Folders &folders)
{
    Config c;
    Main &m = c.main;
    m.openDialogCharMatrix = folders.chMatrixDir;
    m.saveDialogCharMatrix = folders.chMatrixDir;
    m.saveDialogBmpSup = folders.startDir;
    m.openDialogVob = folders.startDir;
    m.openDialogGlyfexText = folders.startDir;
    m.saveDialogText = folders.startDir;
    m.openAvi = folders.startDir;
    m.languageName = FirstRunLanguage;
    // The file's default differs from the dialog's designed state here.
    c.options.useFileOffsets = true;
    return c;
}

Config Config::load(const IniStore &store, const Folders &folders, const Ocr &currentOcr, const QLocale &locale,
                    const QStringList &languages)
{
    const Config d = defaults(folders);
    Config c = d;
    IniKeyReader reader{store};
    visitConfig(c, d, reader);
    c.ocr = currentOcr;
    visitOcr(c.ocr, currentOcr, reader);
    if (c.main.languageName == FirstRunLanguage)
        c.main.languageName = firstRunChoice(locale, languages);
    return c;
}

void Config::save(IniStore &store) const
{
    Config c = *this;
    IniKeyWriter writer{store};
    visitConfig(c, *this, writer);
}

Result<Config> Config::loadFile(const QString &path, const Folders &folders, const Ocr &currentOcr,
                                const QLocale &locale, const QStringList &languages)
{
    auto store = IniStore::open(path);
    if (!store)
        return store.error();
    return load(*store, folders, currentOcr, locale, languages);
}

Result<void> Config::saveFile(const QString &path) const
{
    auto store = IniStore::open(path);
    if (!store)
        return store.error();
    save(*store);
    return store->updateFile();
}

Result<void> saveOcrSettings(const QString &path, const Config::Ocr &ocr)
{
    auto store = IniStore::open(path);
    if (!store)
        return store.error();
    Config::Ocr copy = ocr;
    IniKeyWriter writer{*store};
    visitOcr(copy, ocr, writer);
    return store->updateFile();
}

QString resolveSubtitleFont(const QString &wanted, const QStringList &installedFamilies)
{
    for (const QString &name : {wanted, QStringLiteral("Tahoma"), QStringLiteral("Arial")}) {
        for (const QString &family : installedFamilies) {
            if (family.compare(name, Qt::CaseInsensitive) == 0)
                return family;
        }
    }
    return wanted;
}

QString firstRunLanguage(const QLocale &locale)
{
    // The language files that exist for the languages an installer could offer. Chinese has a file
    // for the simplified script only; Portuguese and Spanish files serve every country.
    switch (locale.language()) {
    case QLocale::Bulgarian: return QStringLiteral("Bulgarian");
    case QLocale::Catalan: return QStringLiteral("Catalan");
    case QLocale::Czech: return QStringLiteral("Czech");
    case QLocale::Danish: return QStringLiteral("Dansk");
    case QLocale::German: return QStringLiteral("Deutsch");
    case QLocale::Greek: return QStringLiteral("Greek");
    case QLocale::Spanish: return QStringLiteral("Spanish (Castellano)");
    case QLocale::French: return QStringLiteral("Francais");
    case QLocale::Hungarian: return QStringLiteral("Hungarian");
    case QLocale::Italian: return QStringLiteral("Italiano");
    case QLocale::Dutch: return QStringLiteral("Nederlands");
    case QLocale::Polish: return QStringLiteral("Polski");
    case QLocale::Portuguese: return QStringLiteral("Portuguese (Brazilian)");
    case QLocale::Croatian: return QStringLiteral("Croatian 1");
    case QLocale::Slovak: return QStringLiteral("Slovak");
    case QLocale::Turkish: return QStringLiteral("Turkish");
    case QLocale::Chinese:
        return locale.script() == QLocale::SimplifiedHanScript ? QStringLiteral("Simplified Chinese") : QString();
    default: return {};
    }
}

QString firstRunChoice(const QLocale &locale, const QStringList &languages)
{
    const QString language = firstRunLanguage(locale);
    // Language files are found whatever the letter case of their names.
    if (!language.isEmpty() && languages.contains(language, Qt::CaseInsensitive))
        return language;
    return Config::FirstRunLanguage;
}

} // namespace glyfex::core
