// Fuzz target for language files: any file's Messages section gives a message table that keeps every built-in
// entry and holds only non-empty texts, and a language name taken from any text never leads out of the Lang folder.
#include "core/ini_store.h"
#include "core/language_file.h"
#include "core/messages.h"
#include "fuzz/require.h"

#include <QDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace glyfex::core;
using glyfex::fuzz::require;

namespace {

// A name the configuration could hold: a plain one must make a file name directly inside the Lang folder.
void checkName(const QString &name)
{
    if (!LanguageFiles::isPlainName(name))
        return;
    const QString lang = QStringLiteral("/data/Lang");
    const QString path = QDir::cleanPath(lang + QLatin1Char('/') + name + LanguageFiles::Extension);
    require(path.startsWith(lang + QLatin1Char('/')) && !path.mid(lang.size() + 1).contains(QLatin1Char('/')),
            "a plain language name leads out of the Lang folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkName(QString::fromUtf8(bytes));
    auto file = IniStore::fromBytes(bytes, QStringLiteral("fuzz.lng"), 1252);
    if (!file)
        return 0;
    MessageTable table;
    const QString messages = QStringLiteral("Messages");
    const int read = table.replaceFrom([&](const QString &key) -> std::optional<QString> {
        if (!file->valueExists(messages, key))
            return std::nullopt;
        return file->readString(messages, key);
    });
    require(read >= 0 && table.count() >= Msg::Count && table.count() >= read, "entries lost");
    for (int i = 0; i < table.count(); ++i) {
        const QString text = table.text(i);
        require(!text.isEmpty(), "an empty message");
        if (i >= read)
            require(text == builtInMessage(i), "a message not in the file changed");
    }
    for (const QString &section : file->readSections()) {
        checkName(section);
        for (const QString &value : file->readSectionValues(section))
            checkName(value);
    }
    return 0;
}
