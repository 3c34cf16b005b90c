// A configuration for tests in which every saved value differs from its default.
#pragma once

#include "core/config.h"

namespace glyfex::test {

// A configuration in which every saved value differs from its default, so a key that is not
// written or not read shows up in a round trip.
inline core::Config changedEverywhere(const core::Config::Folders &folders = {})
{
    using namespace core;
    Config c = Config::defaults(folders);
    Config::Main &m = c.main;
    m.openDialogCharMatrix = QStringLiteral("/m/open/");
    m.saveDialogCharMatrix = QStringLiteral("/m/save/");
    m.saveDialogBmpSup = QStringLiteral("/bmp/");
    m.openDialogVob = QStringLiteral("/dvd/VIDEO_TS/");
    m.rememberStyles = false;
    m.openDialogGlyfexText = QStringLiteral("/gxt/");
    m.saveDialogText = QStringLiteral("/text/");
    m.openAvi = QStringLiteral("/avi/");
    m.languageName = QStringLiteral("Deutsch");
    m.autoScrollDown = false;
    m.fancyFormat = false;
    m.actionMode = 2;
    m.avoidTimeRestart = true;
    m.showAllLangStreams = true;
    m.selectAllVobs = false;
    m.priority = 0;
    m.subtWndHeight = 300;
    m.activePage = 24;
    GlobalOptions &o = c.options;
    o.wakeMeUp = false;
    o.forcedSubsOnly = true;
    o.rightToLeft = true;
    o.fillBestGuess = true;
    o.addBestGuessToMatrix = true;
    o.fillDelay = 30;
    o.fillNone = QStringLiteral("?");
    o.fillBefore = QStringLiteral("<");
    o.fillAfter = QStringLiteral(">");
    o.minSubDuration = 9999;
    o.buildMap = false;
    o.useFileOffsets = false;
    o.minTmpPause = 1;
    o.maxTmpDuration = 4000;
    c.subtitleFontName = QStringLiteral("DejaVu Sans");
    c.subtitleFontSize = 12;
    Config::Preview &p = c.preview;
    p.atTruePos = false;
    p.transparentBackground = true;
    p.zoom = 100;
    p.autoZoom = true;
    p.borderColour = 0xFFFFFF;
    p.innerColour = 0;
    p.backMode = 3;
    p.aspectRatioMode = 2;
    p.freeAspectRatio = 288;
    p.backImageName = QStringLiteral("/img/bars.png");
    c.pictureTiming = false;
    c.dropFrame = false;
    Config::OutputFormats &f = c.output;
    f.gxtExtended = true;
    f.gxtColourTags = true;
    f.frameRate = QStringLiteral("25");
    f.microDvdRateLine = false;
    f.tmPlayerVariant = 5;
    f.sv2PreserveStyles = true;
    f.sv2Font = QStringLiteral("Tahoma,20,0");
    f.stlColours = {1, 2, 3, 4};
    f.stlContrasts = {1, 2, 3, 4};
    f.stlHorzAlign = 0;
    f.stlXOffset = 719;
    f.stlVertAlign = 0;
    f.stlYOffset = 575;
    f.stlFont = QStringLiteral("Tahoma,30,0");
    f.ssaColours = {5, 6, 7, 8};
    f.ssaMargin = 720;
    f.ssaMarginV = 576;
    f.ssaBorder = 50;
    f.ssaShadow = 0;
    f.ssaFont = QStringLiteral("Tahoma,28,0,Italic");
    f.minimumInterval = 999;
    f.maestroExtended = false;
    c.inputType = 13;
    Config::OcrCorrection &k = c.correction;
    k.twiceApostrophe = false;
    k.il = false;
    k.ilLanguage = 6;
    k.punctuation = false;
    k.orthography = true;
    k.orthographyDictionary = QStringLiteral("Deutsch");
    k.capitalLetters = false;
    k.lowerCaseBefore = true;
    k.removeSpaceBetweenNumbers = false;
    return c;
}

} // namespace glyfex::test
