#include "FuzzChecks.h"
#include "platform/Folders.h"
#include "update/FolderMacros.h"
#include "update/IniFile.h"
#include "update/UpdateRules.h"

#include <climits>
#include <cstddef>
#include <cstdint>

namespace {
using FuzzChecks::Check;

// Some folders known, some not, as on a system without the Windows ones.
class FixedFolders final : public Folders
{
public:
    QString temp() const override { return QStringLiteral("/tmp"); }
    QString documents() const override { return {}; }
    QString current() const override { return QStringLiteral("/app"); }
    QString windows() const override { return QStringLiteral("C:\\Windows"); }
    QString system() const override { return {}; }
    QString programFiles() const override { return QStringLiteral("/opt"); }
    QString program() const override { return QStringLiteral("/app"); }
    QString configuration() const override { return QStringLiteral("/config"); }
    bool isWritable(const QString&) const override { return true; }
};

// Every integer is read by the updater's rule within 32 bits; anything else gives the default.
void checkInteger(const IniFile& ini, const QString& section, const char* key)
{
    const QString text = ini.ReadString(section, QLatin1String(key));
    const qint32 low = ini.ReadInteger(section, QLatin1String(key), INT_MIN);
    const qint32 high = ini.ReadInteger(section, QLatin1String(key), INT_MAX);
    const std::optional<long long> read = low == high ? std::optional<long long>(low) : std::nullopt;
    FuzzChecks::CheckInteger(text.trimmed().toStdString(), read, INT_MIN, INT_MAX);
}

void checkVersion(const QString& text)
{
    const TVersion version = ParseVersionText(text);
    if (!version.isValid())
        return;
    const TVersion again = ParseVersionText(version.text());
    Check(again.high == version.high && again.low == version.low, "a version reads back from its text");
}

void checkDate(const QString& date, const QString& time)
{
    const QDateTime when = ParseControlDate(date, time);
    Check(when.isValid(), "a date is always given");
}

void checkMacros(const QString& text, const Folders& folders)
{
    const QString expanded = ExpandFolderMacros(text, folders);
    if (!text.contains(u'{'))
        Check(expanded == text, "text without a macro stays as written");
}
} // namespace

// The update engine's control file: the values it reads from "update" and from each "fileN"
// section, by the integer, version, date and folder-macro rules. No local file is touched.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const IniFile ini =
        IniFile::fromBytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    const FixedFolders folders;

    const QString update = QStringLiteral("update");
    for (const char* key : {"newsize", "newchecksum"})
        checkInteger(ini, update, key);
    ini.ReadFlag(update, QStringLiteral("unconditional"));
    checkVersion(ini.ReadString(update, QStringLiteral("newversion")));
    checkDate(ini.ReadString(update, QStringLiteral("date")), ini.ReadString(update, QStringLiteral("time")));
    checkMacros(ini.ReadString(update, QStringLiteral("localversion")), folders);

    checkInteger(ini, QStringLiteral("files"), "count");
    // The engine reads at most 10,000 files; a few suffice to reach every rule.
    const int count = std::min(ini.ReadInteger(QStringLiteral("files"), QStringLiteral("count"), 0), 8);
    for (int n = 1; n <= count; ++n) {
        const QString section = QStringLiteral("file%1").arg(n);
        for (const char* key : {"newsize", "newchecksum", "filesize", "mandatory", "preselect", "hidden"})
            checkInteger(ini, section, key);
        for (const char* key : {"url", "localversion", "targetdir"})
            checkMacros(ini.ReadString(section, QLatin1String(key)), folders);
        checkVersion(ini.ReadString(section, QStringLiteral("newversion")));
        checkDate(ini.ReadString(section, QStringLiteral("date")),
                  ini.ReadString(section, QStringLiteral("time")));
        FileNameFromURL(ini.ReadString(section, QStringLiteral("url")));
    }
    return 0;
}
