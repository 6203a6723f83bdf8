#include "app/CommandLine.h"

#include "update/UpdateSignature.h"

#include <QUrl>

namespace {
bool isWebAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty();
}
} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, QString* error)
{
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--demo") {
            line.demo = true;
            continue;
        }
        if (argument == "--update-key") {
            // A key that cannot be used must stop the program, never leave updates unchecked.
            const auto key =
                UpdateSignature::ParsePublicKey(i + 1 < arguments.size() ? arguments[i + 1] : QString());
            if (!key.isValid()) {
                *error = QStringLiteral("--update-key needs the publisher's public key in base64: %1")
                             .arg(key.error);
                return line;
            }
            line.updateKey = arguments[++i].trimmed();
            continue;
        }
        if (argument != "--site" && argument != "--update-url") {
            *error = QStringLiteral("Unknown option: %1").arg(argument);
            return line;
        }
        if (i + 1 >= arguments.size() || !isWebAddress(arguments[i + 1])) {
            *error = QStringLiteral("%1 needs an http:// or https:// address").arg(argument);
            return line;
        }
        (argument == "--site" ? line.site : line.updateUrl) = arguments[++i];
    }
    return line;
}
