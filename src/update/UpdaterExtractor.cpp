#include "update/UpdaterExtractor.h"

#include "updater/FilePlacer.h"
#include "updater/SzddExpander.h"

#include <QDir>
#include <QFile>

namespace {

const QString kCompressedName = QStringLiteral("wusetup.ex_");

QByteArray ReadResource(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw UpdaterExtractError(QStringLiteral("The updater %1 cannot be read: %2")
                                      .arg(resource, file.errorString())
                                      .toStdString());
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() ||
        !file.flush())
        throw UpdaterExtractError(QStringLiteral("I/O error writing %1: %2")
                                      .arg(QDir::toNativeSeparators(path), file.errorString())
                                      .toStdString());
}

QString ExpandUpdater(const QString& folder, const QString& compressedPath)
{
    const std::string compressed = QFile::encodeName(compressedPath).toStdString();
    const auto header = updater::SzddExpander::ReadHeader(compressed);
    if (!header)
        throw UpdaterExtractError("The embedded updater is not in SZDD form");
    const QString name = QFile::decodeName(
        updater::SzddExpander::ExpandedName(kCompressedName.toStdString(), header->missingChar).c_str());
    const QString target = QDir(folder).filePath(name);
    std::string error;
    const bool placed = updater::FilePlacer::Place(
        QFile::encodeName(target).toStdString(),
        [&compressed](const std::string& temporary, std::string& reason) {
            return updater::SzddExpander::Expand(compressed, temporary, reason);
        },
        0755, error);
    if (!placed)
        throw UpdaterExtractError(QStringLiteral("I/O error expanding the updater to %1: %2")
                                      .arg(QDir::toNativeSeparators(target), QString::fromStdString(error))
                                      .toStdString());
    return target;
}

void MakeExecutable(const QString& path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                    QFileDevice::ExeOther | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QString UpdaterExtractor::ExtractUpdater(const QString& folder, const QString& resource)
{
    // The resource lives in a static library: referencing its initializer links it in.
    Q_INIT_RESOURCE(updater_resource);
    const QByteArray content = ReadResource(resource);
    const QString compressedPath = QDir(folder).filePath(kCompressedName);
    WriteFile(compressedPath, content);
    QString target;
    try {
        target = ExpandUpdater(folder, compressedPath);
    } catch (...) {
        QFile::remove(compressedPath);
        throw;
    }
    QFile::remove(compressedPath);
    MakeExecutable(target);
    return target;
}
