#pragma once

#include <QString>

#include <stdexcept>

/// An input/output error while unpacking the embedded updater.
class UpdaterExtractError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Unpacks the updater that the program carries as the resource "UPD" (in SZDD form).
class UpdaterExtractor final
{
public:
    /// Writes the resource to folder + "wusetup.ex_" (replacing any such file), expands it to the
    /// name its header restores ("wusetup.exe"), makes that executable and deletes "wusetup.ex_".
    /// Returns the expanded updater's path. Throws UpdaterExtractError when a file cannot be
    /// written or the resource is damaged; an earlier "wusetup.exe" then stays as it was.
    static QString ExtractUpdater(const QString& folder, const QString& resource = QStringLiteral(":/UPD"));
};
