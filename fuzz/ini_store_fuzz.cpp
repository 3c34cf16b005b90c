// Feeds arbitrary bytes to the INI reader and checks that what it keeps survives a write and a second read.
#include "core/ini_store.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using glyfex::core::IniStore;
    // The first byte picks the page used when the file has no byte-order mark.
    static const glyfex::core::CodePage pages[] = {1252, 1251, 932, 936, 65001, 50220, 1258, 720};
    if (size == 0) return 0;
    const auto page = pages[data[0] % (sizeof pages / sizeof pages[0])];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    auto store = IniStore::fromBytes(bytes, QStringLiteral("fuzz.ini"), page);
    if (!store) return 0;
    for (const QString &section : store->readSections())
        for (const QString &name : store->readSection(section)) (void)store->readInteger(section, name, 0);
    auto again = IniStore::fromBytes(store->fileBytes(), QStringLiteral("fuzz.ini"));
    if (!again || again->strings() != store->strings()) std::abort();
    return 0;
}
