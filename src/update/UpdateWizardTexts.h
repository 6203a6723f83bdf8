#pragma once

#include <QString>

/// Every caption and message of the update wizard. A default-constructed one holds the
/// wizard's own texts.
struct UpdateWizardTexts
{
    QString Welcome = QStringLiteral("Press start to start checking for available application updates ...");
    QString StartButton = QStringLiteral("Start");
    QString GetUpdateButton = QStringLiteral("Get update");
    QString NextButton = QStringLiteral("Next");
    QString ExitButton = QStringLiteral("Exit");
    QString CancelButton = QStringLiteral("Cancel");
    QString RestartButton = QStringLiteral("Restart");
    QString NewVersionFound = QStringLiteral("New version found");
    QString CurrentVersion = QStringLiteral("Current version");
    QString NewVersion = QStringLiteral("New version");
    QString NoNewVersionAvail = QStringLiteral("No new version available.");
    QString NewVersionAvail = QStringLiteral("New version available.");
    QString CannotConnect = QStringLiteral("Could not connect to update server or");
    QString NoUpdateOnServer = QStringLiteral("no update found on server ...");
    QString NotVerified =
        QStringLiteral("The update information could not be verified. Nothing was installed.");
    QString WhatsNew = QStringLiteral("What's new");
    QString License = QStringLiteral("License agreement");
    QString AcceptLicense = QStringLiteral("I accept");
    QString NotAcceptLicense = QStringLiteral("I do not accept");
    QString ComponentsAvail = QStringLiteral("Available application components");
    QString DownloadingFiles = QStringLiteral("Downloading files");
    QString CurrentProgress = QStringLiteral("Current file progress");
    QString TotalProgress = QStringLiteral("Total file progress");
    QString UpdateComplete = QStringLiteral("Update completed ...");
    QString RestartInfo = QStringLiteral("Press restart to start the updated application.");
    QString NoFilesFound = QStringLiteral("No files found for update");
    QString FailedDownload = QStringLiteral("Failed to download updates");
    QString WhatsNewPopup = QStringLiteral("View in Notepad");
    QString LicensePopup = QStringLiteral("View in Notepad");
};
